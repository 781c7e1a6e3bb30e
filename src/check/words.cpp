#include "check/words.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <string_view>

#include "greek/tables.hpp"

namespace grapho {
namespace {

static_assert([] {
  for (char32_t c = first_small_form; c < first_small_form + 0x80; ++c)
    if (bool(small_form_of(c).traits & vowel) != is_vowel(small_letter(c))) return false;
  return true;
}());

// Whether two vowels make one syllable: a vowel and an iota or upsilon said
// as one, unless a diaeresis on the second parts them (§8); a first with an
// iota subscript is a diphthong already (§5).
bool makes_diphthong(const word_letter& first, const word_letter& second) {
  unsigned needed =
      (second.traits & iota ? before_iota : 0) | (second.traits & upsilon ? before_upsilon : 0);
  return (first.traits & needed) && !(second.marks & diaeresis) && !(first.marks & iota_subscript);
}

// A capital alpha, eta or omega with its breathing or accent, followed by an
// iota without marks, written after it for the iota subscript (ᾍδης as Ἅιδης).
bool has_iota_adscript(const word_letter& vowel, const word_letter& next) {
  return (vowel.traits & (capital | takes_adscript)) == (capital | takes_adscript) &&
         (vowel.marks & (breathings | accents)) && (next.traits & (iota | capital)) == iota &&
         next.marks == 0;
}

// Long: eta, omega, and any vowel with an iota subscript, a circumflex or a
// macron; short: epsilon, omicron, and a vowel with a breve (Smyth §4).
vowel_length length_of_vowel(const word_letter& vowel) {
  if ((vowel.marks & (iota_subscript | circumflex | long_vowel)) || (vowel.traits & long_by_nature))
    return vowel_length::certainly_long;
  if ((vowel.traits & short_by_nature) || (vowel.marks & short_vowel))
    return vowel_length::certainly_short;
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
  const std::uint64_t head = (std::uint64_t{1} << count) - 1;
  vowels_ = word.vowels_ & head;
  breathing_letters_ = word.breathing_letters_ & head;
  accented_letters_ = word.accented_letters_ & head;
  line_ = word.line_;
  unjudged_ = false;
  close(false);
}

// One syllable a vowel or diphthong. Diphthongs are long, but final -αι and
// -οι count as short for the accent (Smyth §169), and a short vowel before a
// final ξ or ψ may count as long (§164 b): their length is left unknown. An
// accent on a consonant belongs to no syllable and is not counted.
void greek_word::find_syllables_and_accents() {
  std::uint32_t syllables = 0, accents_found = 0;
  // An accent's syllable by its number for now, from the end once all are known.
  auto take_accent = [&](std::uint32_t letter) {
    if (!(accented_letters_ >> letter & 1)) return;
    unsigned kind = letters_[letter].marks & grapho::accents;
    // Two accents on one letter: the first of acute, grave, circumflex.
    accents_[accents_found++] = {kind & ~(kind - 1), letter, syllables};
  };
  for (std::uint64_t rest = vowels_; rest != 0; rest &= rest - 1) {
    const auto first = static_cast<std::uint32_t>(std::countr_zero(rest));
    const word_letter& letter = letters_[first];
    syllable found{first, first, length_of_vowel(letter)};
    take_accent(first);
    // A vowel after it: a diphthong, or an iota adscript, may take it.
    if (rest & std::uint64_t{2} << first) {
      const word_letter& next = letters_[first + 1];
      if (has_iota_adscript(letter, next)) {
        found.length = vowel_length::certainly_long;
        rest &= ~(std::uint64_t{2} << first);
      } else if (makes_diphthong(letter, next)) {
        bool final_short = first + 2 == letter_count_ && !elided_ && (next.traits & iota) &&
                           (letter.small == U'α' || letter.small == U'ο');
        found = {first, first + 1,
                 final_short ? vowel_length::unknown : vowel_length::certainly_long};
        take_accent(first + 1);
        rest &= ~(std::uint64_t{2} << first);
      }
    }
    syllables_[syllables++] = found;
  }
  syllable_count_ = syllables;
  accent_count_ = accents_found;
  const std::uint32_t last = syllables - (elided_ ? 0 : 1);
  for (std::uint32_t a = 0; a < accents_found; ++a)
    accents_[a].from_end = last - accents_[a].from_end;
  if (syllables != 0 && syllables_[syllables - 1].length == vowel_length::certainly_short &&
      ends_in_double_consonant())
    syllables_[syllables - 1].length = vowel_length::unknown;
}

bool greek_word::in_capitals_alone() const {
  for (const auto& letter : letters())
    if (!(letter.traits & capital) || letter.marks != 0) return false;
  return true;
}

bool greek_word::ends_in_synizesis() const {
  const std::optional<syllable> last = syllable_from_end(0);
  const std::optional<syllable> before = syllable_from_end(1);
  if (!last || !before || letters_[last->nucleus].small != U'ω' || last->first != last->nucleus)
    return false;
  if (letters_[before->nucleus].small != U'ε' || before->nucleus + 1 != last->first) return false;
  for (std::size_t i = last->nucleus + 1; i < letter_count_; ++i)
    if (letters_[i].small != U'ς' && letters_[i].small != U'ν') return false;
  return true;
}

}  // namespace grapho
