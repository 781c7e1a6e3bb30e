#include "check/words.hpp"

#include "greek/tables.hpp"

namespace grapho {
namespace {

// The diphthongs (Smyth §5, with Ionic ωυ): a vowel and an iota or upsilon
// said as one.
bool is_diphthong(char32_t first, char32_t second) {
  switch (second) {
    case U'ι':
      return first == U'α' || first == U'ε' || first == U'ο' || first == U'υ';
    case U'υ':
      return first == U'α' || first == U'ε' || first == U'η' || first == U'ο' || first == U'ω';
    default:
      return false;
  }
}

// Whether two vowels make one syllable: a diaeresis on the second parts them
// (§8), and a first with an iota subscript is a diphthong already (§5).
bool make_diphthong(const word_letter& first, const word_letter& second) {
  return is_diphthong(first.small, second.small) && !(second.marks & diaeresis) &&
         !(first.marks & iota_subscript);
}

// A capital alpha, eta or omega with its breathing or accent, followed by an
// iota without marks, written after it for the iota subscript (ᾍδης as Ἅιδης).
bool has_iota_adscript(const word_letter& vowel, const word_letter& next) {
  bool long_capital =
      vowel.capital && (vowel.small == U'α' || vowel.small == U'η' || vowel.small == U'ω');
  return long_capital && (vowel.marks & (breathings | accents)) && next.small == U'ι' &&
         !next.capital && next.marks == 0;
}

// Long: eta, omega, and any vowel with an iota subscript, a circumflex or a
// macron; short: epsilon, omicron, and a vowel with a breve (Smyth §4).
vowel_length length_of_vowel(const word_letter& vowel) {
  if (vowel.marks & (iota_subscript | circumflex | long_vowel)) return vowel_length::certainly_long;
  if (vowel.small == U'η' || vowel.small == U'ω') return vowel_length::certainly_long;
  if (vowel.small == U'ε' || vowel.small == U'ο') return vowel_length::certainly_short;
  if (vowel.marks & short_vowel) return vowel_length::certainly_short;
  return vowel_length::unknown;
}

}  // namespace

void greek_word::close(bool elided) {
  elided_ = elided;
  find_syllables_and_accents();
  spelling_key_ = 0;
  if (letters_.size() <= longest_spelling_key)
    for (const auto& letter : letters_)
      spelling_key_ = spelling_key_ << 8 | spelling_code(letter.small, letter.marks);
}

void greek_word::assign_head(const greek_word& word, std::size_t count) {
  letters_.assign(word.letters_.begin(),
                  word.letters_.begin() + static_cast<std::ptrdiff_t>(count));
  line_ = word.line_;
  close(false);
}

// One syllable a vowel or diphthong. Diphthongs are long, but final -αι and
// -οι count as short for the accent (Smyth §169), and a short vowel before a
// final ξ or ψ may count as long (§164 b): their length is left unknown. An
// accent on a consonant belongs to no syllable and is not counted.
void greek_word::find_syllables_and_accents() {
  syllables_.clear();
  accents_.clear();
  const std::size_t count = letters_.size();
  for (std::size_t i = 0; i < count; ++i) {
    const word_letter& letter = letters_[i];
    if (!is_vowel(letter.small)) continue;
    auto first = static_cast<std::uint32_t>(i);
    if (i + 1 < count && has_iota_adscript(letter, letters_[i + 1])) {
      syllables_.push_back({first, first, vowel_length::certainly_long});
      ++i;
    } else if (i + 1 < count && is_vowel(letters_[i + 1].small) &&
               make_diphthong(letter, letters_[i + 1])) {
      bool final_short = i + 2 == count && !elided_ && letters_[i + 1].small == U'ι' &&
                         (letter.small == U'α' || letter.small == U'ο');
      syllables_.push_back(
          {first, first + 1, final_short ? vowel_length::unknown : vowel_length::certainly_long});
      ++i;
    } else {
      syllables_.push_back({first, first, length_of_vowel(letter)});
    }
    for (std::uint32_t v = first; v <= i; ++v) {
      unsigned kind = letters_[v].marks & grapho::accents;
      if (kind == 0) continue;
      // Two accents on one letter: the first of acute, grave, circumflex.
      kind &= ~(kind - 1);
      // The syllable's number for now, from the end once all are known.
      accents_.push_back({kind, v, static_cast<std::uint32_t>(syllables_.size() - 1)});
    }
  }
  const auto total = static_cast<std::uint32_t>(syllables_.size() + (elided_ ? 1 : 0));
  for (accent& mark : accents_) mark.from_end = total - 1 - mark.from_end;
  if (!syllables_.empty() && syllables_.back().length == vowel_length::certainly_short &&
      ends_in_double_consonant())
    syllables_.back().length = vowel_length::unknown;
}

bool greek_word::in_capitals_alone() const {
  for (const auto& letter : letters_)
    if (!letter.capital || letter.marks != 0) return false;
  return true;
}

const syllable* greek_word::syllable_from_end(std::size_t from_end) const {
  std::size_t total = syllables_.size() + (elided_ ? 1 : 0);
  if (from_end >= total || (elided_ && from_end == 0)) return nullptr;
  return &syllables_[total - 1 - from_end];
}

vowel_length greek_word::length_from_end(std::size_t from_end) const {
  const syllable* found = syllable_from_end(from_end);
  return found ? found->length : vowel_length::unknown;
}

bool greek_word::ends_in_synizesis() const {
  const syllable* last = syllable_from_end(0);
  const syllable* before = syllable_from_end(1);
  if (!last || !before || letters_[last->nucleus].small != U'ω' || last->first != last->nucleus)
    return false;
  if (letters_[before->nucleus].small != U'ε' || before->nucleus + 1 != last->first) return false;
  for (std::size_t i = last->nucleus + 1; i < letters_.size(); ++i)
    if (letters_[i].small != U'ς' && letters_[i].small != U'ν') return false;
  return true;
}

bool greek_word::ends_in_double_consonant() const {
  char32_t last = letters_.back().small;
  return last == U'ξ' || last == U'ψ';
}

}  // namespace grapho
