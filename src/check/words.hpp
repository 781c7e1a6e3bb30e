// A Greek word as the rules of accentuation see it: its letters, its
// syllables with the length of each where it is certain, and its accents.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "check/diagnostic.hpp"
#include "check/greek_letters.hpp"

namespace grapho {

// What the syllables need to know of a letter: the vowels, which of them come
// first in a diphthong with iota or upsilon (Smyth §5, with Ionic ωυ), which
// are long or short by nature (§4), the long ones whose capital may take an
// iota adscript; and whether it was a capital.
enum letter_trait : std::uint16_t {
  vowel = 1,
  before_iota = 2,
  before_upsilon = 4,
  long_by_nature = 8,
  short_by_nature = 16,
  takes_adscript = 32,
  iota = 64,
  upsilon = 128,
  capital = 256,
};

struct word_letter {
  char32_t small;  // the letter in its small form
  std::uint16_t marks;
  std::uint16_t traits;
  std::uint64_t column;  // on the word's line
};

// A letter as a word holds it: small, with its traits.
struct small_form {
  char32_t small;
  std::uint16_t traits;
};

// Those of Greek and Coptic, where every letter of the tables stands.
inline constexpr char32_t first_small_form = 0x0380;
inline constexpr auto small_forms = [] {
  std::array<small_form, 0x80> forms{};
  auto is_one_of = [](char32_t small, std::u32string_view letters) {
    return letters.find(small) != std::u32string_view::npos;
  };
  for (std::size_t slot = 0; slot < forms.size(); ++slot) {
    char32_t letter = first_small_form + static_cast<char32_t>(slot);
    char32_t small = small_letter(letter);
    unsigned traits = (is_one_of(small, U"αεηιουω") ? vowel : 0) |
                      (is_one_of(small, U"αεου") ? before_iota : 0) |
                      (is_one_of(small, U"αεηοω") ? before_upsilon : 0) |
                      (is_one_of(small, U"ηω") ? long_by_nature : 0) |
                      (is_one_of(small, U"εο") ? short_by_nature : 0) |
                      (is_one_of(small, U"αηω") ? takes_adscript : 0) | (small == U'ι' ? iota : 0) |
                      (small == U'υ' ? upsilon : 0) | (small != letter ? capital : 0);
    forms[slot] = {small, static_cast<std::uint16_t>(traits)};
  }
  return forms;
}();

// Any other letter stays as it is, with no traits.
constexpr small_form small_form_of(char32_t letter) {
  std::size_t slot = letter - first_small_form;
  return slot < small_forms.size() ? small_forms[slot] : small_form{letter, 0};
}

enum class vowel_length : std::uint8_t { unknown, certainly_short, certainly_long };

// A vowel or a diphthong; the consonants around it belong to no syllable.
struct syllable {
  std::uint32_t first;    // its first vowel
  std::uint32_t nucleus;  // the vowel that takes its accent and breathing: a diphthong's second
};

// The bits set in a mask of few, one at a time: cheaper than std::popcount,
// a call into the runtime where the processor has no instruction for it.
constexpr unsigned count_bits(std::uint64_t bits) {
  unsigned count = 0;
  for (; bits != 0; bits &= bits - 1) ++count;
  return count;
}

struct accent {
  unsigned kind;  // acute, grave or circumflex
  std::uint32_t letter;
  // Counted from the end of the word: 0 is the last syllable (the ultima), 1
  // the penult, 2 the antepenult. An elided vowel counts as a syllable.
  std::uint32_t from_end;
};

// A letter and its breathings and iota subscript as eight bits: its place in
// the alphabet (sigma in any form one letter), then the marks.
constexpr std::uint64_t spelling_code(char32_t small, unsigned marks) {
  std::uint64_t place = small == U'ς'                    ? U'σ' - 0x03B0
                        : small >= U'α' && small <= U'ω' ? small - 0x03B0
                                                         : 26;
  return place << 3 | (marks & breathings) << 1 | ((marks & iota_subscript) ? 1 : 0);
}

// The spelling of a word of up to eight letters as one number, a letter a
// byte, the first highest. Words of the same letters, breathings and iota
// subscripts have the same, whatever their case and accents.
inline constexpr std::size_t longest_spelling_key = 8;

// Words are held in place, without allocation: a word of more letters than
// any Greek word has is not checked. Besides its letters, a word keeps masks,
// a bit for each letter, the first letter's lowest: its vowels, its letters
// with a breathing or an accent as they come, and, once closed, where its
// syllables begin, the second vowels of its diphthongs and its iota
// adscripts. Syllables, their places from the end and their lengths are
// found from these when asked.
class greek_word {
 public:
  static constexpr std::size_t most_letters = 48;
  static_assert(most_letters <= 64, "a bit for each letter in the masks of letters");

  void clear() {
    letter_count_ = 0;
    vowels_ = breathing_letters_ = accented_letters_ = 0;
    elided_ = unjudged_ = false;
  }
  void add(char32_t letter, unsigned marks, text_place place) {
    add(small_form_of(letter), marks, place);
  }
  void add(small_form form, unsigned marks, text_place place) {
    if (letter_count_ == most_letters) {
      unjudged_ = true;
      return;
    }
    if (letter_count_ == 0) line_ = place.line;
    vowels_ |= static_cast<std::uint64_t>(form.traits & vowel) << letter_count_;
    note_marks(letter_count_, marks);
    letters_[letter_count_++] = {form.small, static_cast<std::uint16_t>(marks), form.traits,
                                 place.column};
  }
  // Marks for the letter added last, which decomposed text gives after it.
  void add_marks(unsigned marks) {
    if (letter_count_ == 0) return;
    note_marks(letter_count_ - 1, marks);
    letters_[letter_count_ - 1].marks |= static_cast<std::uint16_t>(marks);
  }
  // Ends the word: finds its syllables and accents. One syllable a vowel or
  // diphthong, read from the first vowel on: a vowel right after one that
  // begins a syllable may join it, as the second of a diphthong or an iota
  // adscript, and then begins none (ευι is ευ, ι). Only vowels side by side
  // need a look at their letters.
  void close(bool elided) {
    elided_ = elided;
    seconds_ = adscripts_ = 0;
    if (const std::uint64_t pairs = vowels_ & vowels_ << 1; pairs != 0) join_vowels(pairs);
    starts_ = vowels_ & ~(seconds_ | adscripts_);
    find_accents();
  }
  // Makes this word the first `count` letters of `word`, closed and whole.
  void assign_head(const greek_word& word, std::size_t count);

  bool empty() const { return letter_count_ == 0; }
  bool elided() const { return elided_; }
  // Left to itself: too long for a word, or holding a mistake of typing,
  // which says nothing of the accents meant.
  bool unjudged() const { return unjudged_; }
  void leave_unjudged() { unjudged_ = true; }
  std::span<const word_letter> letters() const { return {letters_.data(), letter_count_}; }
  std::size_t syllable_count() const { return count_bits(starts_); }
  bool has_syllables() const { return starts_ != 0; }
  // The syllable `index` from the first; there must be as many.
  syllable syllable_at(std::size_t index) const {
    std::uint64_t rest = starts_;
    for (; index != 0; --index) rest &= rest - 1;
    return syllable_from(static_cast<std::uint32_t>(std::countr_zero(rest)));
  }
  // The syllable `from_end` from the end; an elided vowel has none.
  std::optional<syllable> syllable_from_end(std::size_t from_end) const {
    if (elided_ && from_end-- == 0) return std::nullopt;
    std::uint64_t rest = starts_;
    for (; rest != 0 && from_end != 0; --from_end) rest &= ~last_bit(rest);
    if (rest == 0) return std::nullopt;
    return syllable_from(static_cast<std::uint32_t>(63 - std::countl_zero(rest)));
  }
  // The length of the syllable `from_end` from the end, where it is certain.
  vowel_length length_from_end(std::size_t from_end) const {
    if (elided_ && from_end-- == 0) return vowel_length::unknown;
    std::uint64_t rest = starts_;
    for (; rest != 0 && from_end != 0; --from_end) rest &= ~last_bit(rest);
    if (rest == 0) return vowel_length::unknown;
    return length_of(syllable_from(static_cast<std::uint32_t>(63 - std::countl_zero(rest))));
  }
  std::span<const accent> accents() const { return {accents_.data(), accent_count_}; }
  // A bit for each letter with a breathing, the first letter's lowest.
  std::uint64_t breathing_letters() const { return breathing_letters_; }
  // The spelling as one number (spelling_code), for a word of up to eight
  // letters; 0 for a longer one.
  std::uint64_t spelling_key() const;
  text_place place() const { return place_of(0); }
  text_place place_of(std::size_t letter) const { return {line_, letters_[letter].column}; }

  // Whether its breathings are where the rules want them without a look at
  // its letters but the first: none on a word that begins with a consonant
  // other than rho, one alone on the first syllable's vowel that takes it.
  bool has_breathing_in_place() const {
    const std::uint64_t first_nucleus = (vowels_ & 1) == 0 ? 0 : (seconds_ & 2) != 0 ? 2 : 1;
    return breathing_letters_ == first_nucleus && letters_[0].small != U'ρ';
  }
  // Every letter a capital and none with a mark: a heading or an inscription,
  // written without accents.
  bool in_capitals_alone() const {
    return (breathing_letters_ | accented_letters_) == 0 && all_capitals_without_marks();
  }
  // Whether it ends in epic or Attic -εω, -εως, -εων, spoken as one syllable
  // (synizesis) where the accent is concerned: Πηληϊάδεω, πόλεως.
  bool ends_in_synizesis() const;
  // Whether it ends in ξ or ψ.
  bool ends_in_double_consonant() const {
    char32_t last = letters_[letter_count_ - 1].small;
    return last == U'ξ' || last == U'ψ';
  }

 private:
  static std::uint64_t last_bit(std::uint64_t bits) {
    return std::uint64_t{1} << (63 - std::countl_zero(bits));
  }
  bool all_capitals_without_marks() const;
  // Marks the vowels of `pairs`, each after a vowel, that join it.
  void join_vowels(std::uint64_t pairs);
  // Each accent on a vowel, with its place from the end: the syllables that
  // begin after it, and the elided vowel. An accent on a consonant belongs to
  // no syllable and is not counted.
  void find_accents() {
    std::size_t found = 0;
    for (std::uint64_t rest = accented_letters_ & vowels_; rest != 0; rest &= rest - 1) {
      const auto letter = static_cast<std::uint32_t>(std::countr_zero(rest));
      unsigned kind = letters_[letter].marks & grapho::accents;
      const unsigned later_starts = count_bits(starts_ >> letter >> 1);
      // Two accents on one letter: the first of acute, grave, circumflex.
      accents_[found++] = {kind & ~(kind - 1), letter, later_starts + (elided_ ? 1u : 0u)};
    }
    accent_count_ = found;
  }
  syllable syllable_from(std::uint32_t first) const {
    return {first, (seconds_ >> first >> 1 & 1) != 0 ? first + 1 : first};
  }
  // Diphthongs are long, but final -αι and -οι count as short for the accent
  // (Smyth §169), and a short vowel before a final ξ or ψ may count as long
  // (§164 b): their length is left unknown.
  vowel_length length_of(const syllable& vowels) const {
    const word_letter& letter = letters_[vowels.first];
    if (adscripts_ >> vowels.first >> 1 & 1) return vowel_length::certainly_long;
    if (vowels.nucleus != vowels.first) {
      bool final_short = vowels.nucleus + 1 == letter_count_ && !elided_ &&
                         (letters_[vowels.nucleus].traits & iota) &&
                         (letter.small == U'α' || letter.small == U'ο');
      return final_short ? vowel_length::unknown : vowel_length::certainly_long;
    }
    vowel_length length = length_of_vowel(letter);
    if (length == vowel_length::certainly_short && (starts_ >> vowels.first >> 1) == 0 &&
        ends_in_double_consonant())
      return vowel_length::unknown;
    return length;
  }
  // Long: eta, omega, and any vowel with an iota subscript, a circumflex or a
  // macron; short: epsilon, omicron, and a vowel with a breve (Smyth §4).
  static vowel_length length_of_vowel(const word_letter& vowel) {
    if ((vowel.marks & (iota_subscript | circumflex | long_vowel)) ||
        (vowel.traits & long_by_nature))
      return vowel_length::certainly_long;
    if ((vowel.traits & short_by_nature) || (vowel.marks & short_vowel))
      return vowel_length::certainly_short;
    return vowel_length::unknown;
  }
  void note_marks(std::size_t letter, unsigned marks) {
    if (!(marks & (breathings | grapho::accents))) return;
    if (marks & breathings) breathing_letters_ |= std::uint64_t{1} << letter;
    if (marks & grapho::accents) accented_letters_ |= std::uint64_t{1} << letter;
  }

  std::array<word_letter, most_letters> letters_;
  std::array<accent, most_letters> accents_;
  std::size_t letter_count_ = 0, accent_count_ = 0;
  // The vowels, the letters with a breathing, those with an accent; once
  // closed, the first vowels of the syllables, the second vowels of the
  // diphthongs and the iotas written after a capital for its subscript.
  std::uint64_t vowels_ = 0, breathing_letters_ = 0, accented_letters_ = 0;
  std::uint64_t starts_ = 0, seconds_ = 0, adscripts_ = 0;
  std::uint64_t line_ = 1;
  bool elided_ = false;
  bool unjudged_ = false;
};

}  // namespace grapho
