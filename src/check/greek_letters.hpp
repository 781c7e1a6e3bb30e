// Each character of the Greek blocks as the check reads it: the letter it is
// written with and its marks. Derived once from the tables grapho converts with
// and Unicode's data beside them (src/greek), read backwards: the letters the
// keys type, the combination table, the canonical singletons (the tonos forms),
// the letters with a mark of length and the other forms of letters (ϑ, ϲ).
#pragma once

#include <array>
#include <cstddef>

#include "greek/tables.hpp"
#include "greek/unicode_data.hpp"

namespace grapho {

// Marks of vowel length, beside the seven `mark` bits of greek/tables.hpp:
// grapho types neither, Unicode text may carry them.
inline constexpr unsigned long_vowel = 128;   // macron
inline constexpr unsigned short_vowel = 256;  // breve

struct letter_with_marks {
  char32_t letter = 0;  // 0: not a Greek letter
  unsigned marks = 0;
};

// By code point: Greek and Coptic first, then Greek Extended.
inline constexpr auto greek_characters = [] {
  std::array<letter_with_marks, greek_block_size> table{};
  auto set = [&](char32_t c, letter_with_marks value) { table[greek_block_slot(c)] = value; };
  for (const auto& entry : letter_entries) {
    if (!is_letter(entry.key)) continue;
    char32_t letter = code_point_of(entry.entity);
    set(letter, {letter, 0});
  }
  set(code_point_of(medial_sigma_entity), {code_point_of(medial_sigma_entity), 0});
  for (const auto& row : combination_table) {
    char32_t letter = code_point_of(letter_table[row.letter - letter_table_first]);
    set(code_point_of(row.entity), {letter, row.marks});
  }
  for (const auto& singleton : canonical_singletons)
    if (in_greek_blocks(singleton.equivalent))
      set(singleton.code_point, table[greek_block_slot(singleton.equivalent)]);
  for (const auto& form : letter_forms) set(form.code_point, {form.letter, 0});
  for (const auto& marked : length_marked_letters)
    set(marked.code_point,
        {marked.letter, marked.mark == combining_macron ? long_vowel : short_vowel});
  return table;
}();

// The letter and marks of `c`, whose letter is 0 when it is no Greek letter.
constexpr letter_with_marks greek_character(char32_t c) {
  std::size_t slot = greek_block_slot(c);
  return slot < greek_block_size ? greek_characters[slot] : letter_with_marks{};
}

// The mark of a combining character, or 0 for any other.
constexpr unsigned mark_of_combining(char32_t c) {
  for (const auto& mark : combining_marks)
    if (mark.code_point == c) return mark.bit;
  if (c == combining_macron) return long_vowel;
  if (c == combining_breve) return short_vowel;
  return 0;
}

// The small letter of a capital; any other letter stays as it is.
constexpr char32_t small_letter(char32_t letter) {
  if (letter >= 0x0391 && letter <= 0x03A9) return letter + 0x20;
  if (letter == 0x03F9) return U'σ';    // the capital lunate sigma
  if (letter == 0x03DC) return 0x03DD;  // digamma
  return letter;
}

constexpr bool is_vowel(char32_t small) {
  switch (small) {
    case U'α':
    case U'ε':
    case U'η':
    case U'ι':
    case U'ο':
    case U'υ':
    case U'ω':
      return true;
    default:
      return false;
  }
}

}  // namespace grapho
