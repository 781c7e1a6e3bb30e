// The tables of the fast path's vector code (fast_path_kernel.hpp), each of
// 16 bytes as a vector look-up takes them, derived from the tables of letters
// and marks and checked against the classes of bytes when compiling.
//
// A byte's class comes from two table look-ups, one by each nibble of the byte
// (a SIMD shuffle looks up 16 or 32 bytes at once): a byte belongs to a group
// when both of its nibbles do. Seven groups, each a set of high nibbles times a
// set of low nibbles, make up the marks, the special characters and the
// brackets; letters are found by their range, "$" and "s" by comparison.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <iterator>

#include "convert/fast_path_classes.hpp"
#include "convert/fast_path_texts.hpp"

namespace grapho {

enum : std::uint8_t {
  group_quote_ampersand = 1,   // " &
  group_hyphen = 2,            // -
  group_slash = 4,             // /
  group_angle_equals = 8,      // < = >
  group_brackets = 16,         // [ ] { }
  group_backslash_caret = 32,  // \ ^
  group_bar = 64,              // |
};
constexpr std::uint8_t mark_groups =
    group_slash | group_angle_equals | group_backslash_caret | group_bar;
constexpr std::uint8_t special_groups = group_quote_ampersand | group_hyphen | group_brackets;

// The groups of each low nibble and each high nibble.
alignas(16) constexpr std::uint8_t low_nibble_groups[16] = {
    0,
    0,
    group_quote_ampersand,
    0,
    0,
    0,
    group_quote_ampersand,
    0,
    0,
    0,
    0,
    group_brackets,
    group_angle_equals | group_backslash_caret | group_bar,
    group_hyphen | group_angle_equals | group_brackets,
    group_angle_equals | group_backslash_caret,
    group_slash};
alignas(16) constexpr std::uint8_t high_nibble_groups[16] = {
    0,
    0,
    group_quote_ampersand | group_hyphen | group_slash,
    group_angle_equals,
    0,
    group_brackets | group_backslash_caret,
    0,
    group_brackets | group_bar};

constexpr std::uint8_t groups_of(int c) {
  return low_nibble_groups[c & 15] & high_nibble_groups[c >> 4];
}

// The groups and the range of letters give the classes of the table, byte for byte.
static_assert([] {
  for (int c = 0; c < 256; ++c) {
    auto cls = class_by_character[static_cast<std::size_t>(c)];
    auto groups = groups_of(c);
    auto folded = static_cast<std::uint8_t>((c | 0x20) - 'a');
    if (((groups & mark_groups) != 0) != ((cls & class_mark) != 0) ||
        ((groups & special_groups) != 0) != ((cls & class_special) != 0) ||
        ((groups & group_brackets) != 0) != ((cls & class_bracket) != 0) ||
        (folded < 26) != ((cls & class_letter) != 0) ||
        (c == escape_character) != ((cls & class_escape) != 0) ||
        (c == sigma_key) != ((cls & class_sigma) != 0))
      return false;
  }
  return true;
}());

// The bit of each mark, looked up by a hash of its key that SIMD computes
// simply: (c - (c >> 3)) mod 16, different for each of the seven keys. As
// c - (c >> 3) stays below 128 for them, a shuffle takes it as it is.
constexpr int mark_hash(int c) {
  return (c - (c >> 3)) & 15;
}
alignas(16) constexpr auto mark_bit_by_hash = [] {
  std::array<std::uint8_t, 16> bits{};
  for (const auto& mark : mark_table)
    bits[static_cast<std::size_t>(mark_hash(mark.key))] |= mark.bit;
  return bits;
}();
static_assert([] {
  for (const auto& mark : mark_table)
    if (mark_bit_by_hash[static_cast<std::size_t>(mark_hash(mark.key))] != mark.bit ||
        mark.key - (mark.key >> 3) >= 128)
      return false;
  return true;
}());

// The high byte of the slot number of a letter with marks (see
// marked_letter_row) is the first row's plus half its row, looked up by the
// letter's low five bits: one table for 0 to 15, one for 16 to 31. The low
// byte is its mark set, with the top bit for a capital.
constexpr std::uint8_t marked_letter_high_byte = marked_letter_slots_first / 256;
static_assert(marked_letter_slots_first % 256 == 0);
constexpr auto letter_high_bytes(int first) {
  std::array<std::uint8_t, 16> high_bytes{};
  for (int low = 0; low < 16; ++low)
    high_bytes[static_cast<std::size_t>(low)] = static_cast<std::uint8_t>(
        marked_letter_high_byte + marked_letter_row('a' - 1 + first + low) / 2);
  return high_bytes;
}
alignas(16) constexpr auto letter_high_bytes_low = letter_high_bytes(0);
alignas(16) constexpr auto letter_high_bytes_high = letter_high_bytes(16);
static_assert([] {
  for (int c = 'A'; c <= 'z'; ++c) {
    if (!is_letter(c)) continue;
    auto low = static_cast<std::size_t>(c & 15);
    auto high_byte = (c & 16) ? letter_high_bytes_high[low] : letter_high_bytes_low[low];
    if (marked_letter_offset(c, 0) / slot_step != 256u * high_byte + (c < 'a' ? 128u : 0u))
      return false;
  }
  return true;
}());

// A byte's offset is its slot number times slot_step, a shift.
constexpr int slot_step_shift = std::countr_zero(slot_step);
static_assert(slot_step == std::size_t{1} << slot_step_shift);

// The final sigma's slot number is the medial one's plus 256: its high byte
// is one more than a letter's in a run.
static_assert(final_sigma_slot == run_slots_first + sigma_key + 256);

// Which letters with marks surely have a text, found with two look-ups: the
// marks that some row gives the letter, and, for each set of the marks of the
// low nibble (breathings, acute, grave), the marks of the high nibble
// (circumflex, diaeresis, iota subscript) that no row has beside it, or all
// marks when no row has the set at all. A small letter whose marks pass both
// has a row whenever its marks keep to them; the vector code checks every
// other letter with marks (capitals among them) one by one.

constexpr bool has_row(int letter, unsigned marks) {
  return std::any_of(
      std::begin(combination_table), std::end(combination_table),
      [&](const combination_row& row) { return row.letter == letter && row.marks == marks; });
}

constexpr unsigned marks_in_rows(int letter) {
  unsigned marks = 0;
  for (const auto& row : combination_table)
    if (row.letter == letter) marks |= row.marks;
  return marks;
}

alignas(16) inline constexpr auto marks_never_beside = [] {
  std::array<std::uint8_t, 16> never{};
  for (unsigned low = 0; low < 16; ++low) {
    unsigned beside = 0;
    bool in_a_row = false;
    for (const auto& row : combination_table) {
      if ((row.marks & 15) != low) continue;
      in_a_row = true;
      beside |= row.marks & ~15u;
    }
    never[low] = static_cast<std::uint8_t>(in_a_row ? 0x70 & ~beside : 0xff);
  }
  return never;
}();

constexpr bool passes_look_ups(unsigned allowed, unsigned marks) {
  return ((marks_never_beside[marks & 15] | ~allowed) & marks) == 0;
}

// The marks a small letter may take for the look-ups to be sure of it: those
// of its rows, or none when some marks would pass without a row.
constexpr std::uint8_t marks_sure_for(int letter) {
  const unsigned allowed = marks_in_rows(letter);
  for (unsigned marks = 1; marks < 128; ++marks)
    if (passes_look_ups(allowed, marks) && !has_row(letter, marks)) return 0;
  return static_cast<std::uint8_t>(allowed);
}

// By the high byte of a letter's slot number (see letter_high_bytes), which
// its small and capital forms share.
alignas(16) inline constexpr auto marks_sure_by_row_byte = [] {
  std::array<std::uint8_t, 16> marks{};
  for (std::size_t row = 0; row < letters_taking_marks.size(); row += 2)
    marks[marked_letter_high_byte + row / 2] = marks_sure_for(letters_taking_marks[row]);
  return marks;
}();

// Every small letter with marks is sure by the look-ups, so that only capitals
// and broken combinations are checked one by one.
static_assert(std::all_of(letters_taking_marks.begin(), letters_taking_marks.end(),
                          [](char c) { return c < 'a' || marks_sure_for(c) != 0; }));

}  // namespace grapho
