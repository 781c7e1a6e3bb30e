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

}  // namespace

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

void greek_word::join_vowels(std::uint64_t pairs) {
  for (; pairs != 0; pairs &= pairs - 1) {
    const auto second = static_cast<std::uint32_t>(std::countr_zero(pairs));
    const std::uint64_t bit = std::uint64_t{1} << second;
    const word_letter& before = letters_[second - 1];
    if (has_iota_adscript(before, letters_[second]))
      adscripts_ |= bit;
    else if (makes_diphthong(before, letters_[second]))
      seconds_ |= bit;
    else
      continue;
    pairs &= ~(bit << 1);  // the vowel joined begins no pair with the next
  }
}

bool greek_word::all_capitals_without_marks() const {
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
