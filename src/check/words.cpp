#include "check/words.hpp"

#include <algorithm>

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
}

std::uint64_t greek_word::spelling_key() const {
  if (letter_count_ > longest_spelling_key) return 0;
  std::uint64_t key = 0;
  for (const auto& letter : letters()) key = key << 8 | spelling_code(letter.small, letter.marks);
  return key;
}

void greek_word::assign_head(const greek_word& word, std::size_t count) {
  std::copy_n(word.letters_.begin(), count, letters_.begin());
  letter_count_ = count;
  line_ = word.line_;
  unjudged_ = false;
  close(false);
}

// One syllable a vowel or diphthong. Diphthongs are long, but final -αι and
// -οι count as short for the accent (Smyth §169), and a short vowel before a
// final ξ or ψ may count as long (§164 b): their length is left unknown. An
// accent on a consonant belongs to no syllable and is not counted.
void greek_word::find_syllables_and_accents() {
  syllable_count_ = accent_count_ = 0;
  const std::size_t count = letter_count_;
  for (std::size_t i = 0; i < count; ++i) {
    const word_letter& letter = letters_[i];
    if (!is_vowel(letter.small)) continue;
    auto first = static_cast<std::uint32_t>(i);
    if (i + 1 < count && has_iota_adscript(letter, letters_[i + 1])) {
      syllables_[syllable_count_++] = {first, first, vowel_length::certainly_long};
      ++i;
    } else if (i + 1 < count && is_vowel(letters_[i + 1].small) &&
               make_diphthong(letter, letters_[i + 1])) {
      bool final_short = i + 2 == count && !elided_ && letters_[i + 1].small == U'ι' &&
                         (letter.small == U'α' || letter.small == U'ο');
      syllables_[syllable_count_++] = {
          first, first + 1, final_short ? vowel_length::unknown : vowel_length::certainly_long};
      ++i;
    } else {
      syllables_[syllable_count_++] = {first, first, length_of_vowel(letter)};
    }
    for (std::uint32_t v = first; v <= i; ++v) {
      unsigned kind = letters_[v].marks & grapho::accents;
      if (kind == 0) continue;
      // Two accents on one letter: the first of acute, grave, circumflex.
      kind &= ~(kind - 1);
      // The syllable's number for now, from the end once all are known.
      accents_[accent_count_++] = {kind, v, static_cast<std::uint32_t>(syllable_count_ - 1)};
    }
  }
  const auto total = static_cast<std::uint32_t>(syllable_count_ + (elided_ ? 1 : 0));
  for (std::size_t a = 0; a < accent_count_; ++a)
    accents_[a].from_end = total - 1 - accents_[a].from_end;
  if (syllable_count_ != 0 &&
      syllables_[syllable_count_ - 1].length == vowel_length::certainly_short &&
      ends_in_double_consonant())
    syllables_[syllable_count_ - 1].length = vowel_length::unknown;
}

bool greek_word::in_capitals_alone() const {
  for (const auto& letter : letters())
    if (!letter.capital || letter.marks != 0) return false;
  return true;
}

bool greek_word::ends_in_synizesis() const {
  const syllable* last = syllable_from_end(0);
  const syllable* before = syllable_from_end(1);
  if (!last || !before || letters_[last->nucleus].small != U'ω' || last->first != last->nucleus)
    return false;
  if (letters_[before->nucleus].small != U'ε' || before->nucleus + 1 != last->first) return false;
  for (std::size_t i = last->nucleus + 1; i < letter_count_; ++i)
    if (letters_[i].small != U'ς' && letters_[i].small != U'ν') return false;
  return true;
}

}  // namespace grapho
