// A Greek word as the rules of accentuation see it: its letters, its
// syllables with the length of each where it is certain, and its accents.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "check/diagnostic.hpp"
#include "check/greek_letters.hpp"

namespace grapho {

struct word_letter {
  char32_t small;  // the letter in its small form
  std::uint16_t marks;
  bool capital;
  std::uint64_t column;  // on the word's line
};

enum class vowel_length : std::uint8_t { unknown, certainly_short, certainly_long };

// A vowel or a diphthong; the consonants around it belong to no syllable.
struct syllable {
  std::uint32_t first;    // its first vowel
  std::uint32_t nucleus;  // the vowel that takes its accent and breathing: a diphthong's second
  vowel_length length;
};

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
  std::uint64_t place = small == U'ς' || small == small_lunate_sigma ? U'σ' - 0x03B0
                        : small >= U'α' && small <= U'ω'             ? small - 0x03B0
                                                                     : 26;
  return place << 3 | (marks & breathings) << 1 | ((marks & iota_subscript) ? 1 : 0);
}

// The spelling of a word of up to eight letters as one number, a letter a
// byte, the first highest; 0 for a longer one. Words of the same letters,
// breathings and iota subscripts have the same, whatever their case and
// accents.
inline constexpr std::size_t longest_spelling_key = 8;

class greek_word {
 public:
  void clear() {
    letters_.clear();
    elided_ = false;
  }
  void add(char32_t letter, unsigned marks, text_place place) {
    if (letters_.empty()) line_ = place.line;
    char32_t small = small_letter(letter);
    letters_.push_back({small, static_cast<std::uint16_t>(marks), small != letter, place.column});
  }
  // Marks for the letter added last, which decomposed text gives after it.
  void add_marks(unsigned marks) { letters_.back().marks |= static_cast<std::uint16_t>(marks); }
  // Ends the word: finds its syllables, accents and spelling.
  void close(bool elided);
  // Makes this word the first `count` letters of `word`, closed and whole.
  void assign_head(const greek_word& word, std::size_t count);

  bool empty() const { return letters_.empty(); }
  bool elided() const { return elided_; }
  const std::vector<word_letter>& letters() const { return letters_; }
  const std::vector<syllable>& syllables() const { return syllables_; }
  const std::vector<accent>& accents() const { return accents_; }
  std::uint64_t spelling_key() const { return spelling_key_; }
  text_place place() const { return place_of(0); }
  text_place place_of(std::size_t letter) const { return {line_, letters_[letter].column}; }

  // Every letter a capital and none with a mark: a heading or an inscription,
  // written without accents.
  bool in_capitals_alone() const;
  // The syllable `from_end` from the end; an elided vowel has none.
  const syllable* syllable_from_end(std::size_t from_end) const;
  vowel_length length_from_end(std::size_t from_end) const;
  // Whether it ends in epic or Attic -εω, -εως, -εων, spoken as one syllable
  // (synizesis) where the accent is concerned: Πηληϊάδεω, πόλεως.
  bool ends_in_synizesis() const;
  // Whether it ends in ξ or ψ.
  bool ends_in_double_consonant() const;

 private:
  void find_syllables_and_accents();

  std::vector<word_letter> letters_;
  std::vector<syllable> syllables_;
  std::vector<accent> accents_;
  std::uint64_t line_ = 1;
  std::uint64_t spelling_key_ = 0;
  bool elided_ = false;
};

}  // namespace grapho
