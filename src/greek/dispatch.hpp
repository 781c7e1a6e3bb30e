// Look-up tables for translating a run, derived at compile time from the
// tables of letters, marks and combinations and from the table of actions, so
// that every character of a run is dispatched with one indexed load.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "greek/greek_run.hpp"
#include "greek/tables.hpp"

namespace grapho {

using action = void (*)(greek_run&);

struct action_entry {
  int character;
  action run;
};

// The characters of a run with behaviour of their own.
inline constexpr action_entry action_table[] = {
    {'"', write_quotation_mark},
    {'-', write_dash_or_en_dash},
    {'/', add_pending_mark<acute>},
    {'<', add_pending_mark<rough>},
    {'=', add_pending_mark<diaeresis>},
    {'>', add_pending_mark<smooth>},
    {'[', write_bracket_or_left_white_bracket},
    {'\\', add_pending_mark<grave>},
    {']', write_bracket_or_right_white_bracket},
    {'^', add_pending_mark<circumflex>},
    {'s', write_sigma},
    {'{', write_brace_or_left_angle_bracket},
    {'|', add_pending_mark<iota_subscript>},
    {'}', write_brace_or_right_angle_bracket},
};

// The action for each byte value, or nullptr.
inline constexpr auto action_by_character = [] {
  std::array<action, 256> actions{};
  for (const auto& entry : action_table)
    actions[static_cast<std::size_t>(entry.character)] = entry.run;
  return actions;
}();

constexpr action action_for(int c) {
  return c >= 0 && c < 256 ? action_by_character[static_cast<std::size_t>(c)] : nullptr;
}

// The entity text of a letter or sign typed without marks, or an empty view.
constexpr std::string_view letter_entity(int c) {
  std::string_view entity;
  if (auto slot = static_cast<unsigned>(c - letter_table_first); slot < letter_table.size())
    entity = letter_table[slot];
  return entity;
}

// ---------------------------------------------------------------------------
// Combinations: the row for (letter, mark set), found through an index.

inline constexpr auto combination_letters = std::string_view("aAeEhHiIoOuUwWrR");

// Every entity of the combination table spells one code point: "&#x" hhhh ";".
inline constexpr std::size_t combination_entity_size = 8;
static_assert(std::all_of(std::begin(combination_table), std::end(combination_table),
                          [](const auto& row) {
                            return row.entity.size() == combination_entity_size;
                          }));

// Each byte value's slot in the index below: its place in `combination_letters`,
// or, for every byte that is not such a letter, the last slot, which is empty.
inline constexpr auto combination_slot_by_character = [] {
  std::array<std::uint8_t, 256> slots{};
  slots.fill(static_cast<std::uint8_t>(combination_letters.size()));
  for (std::size_t slot = 0; slot < combination_letters.size(); ++slot)
    slots[static_cast<unsigned char>(combination_letters[slot])] = static_cast<std::uint8_t>(slot);
  return slots;
}();

// For each slot and mark set, 1 + the number of its row, or 0 for none.
inline constexpr auto combination_index = [] {
  std::array<std::array<std::uint8_t, 128>, combination_letters.size() + 1> index{};
  for (std::size_t row = 0; row < std::size(combination_table); ++row) {
    const auto& entry = combination_table[row];
    index[combination_letters.find(entry.letter)][entry.marks] = static_cast<std::uint8_t>(row + 1);
  }
  return index;
}();

// The row for a byte value and a mark set below 128, or nullptr.
inline const combination_row* find_combination_row(unsigned char letter, unsigned marks) {
  std::uint8_t row = combination_index[combination_slot_by_character[letter]][marks];
  return row == 0 ? nullptr : &combination_table[row - 1];
}

// Whether a set of pending marks keeps every rule of combination.
inline constexpr auto mark_set_is_valid = [] {
  std::array<bool, 128> valid{};
  for (unsigned marks = 0; marks < valid.size(); ++marks) valid[marks] = !broken_mark_rule(marks);
  return valid;
}();

// ---------------------------------------------------------------------------
// The common characters of a run, for the fast path of the translator.

// The characters of a run written always as the same text of at most 16
// bytes, without marks pending: letters and signs with their entities, and
// the characters that pass through unchanged. The texts are padded so that
// each can be copied as one block of 16 bytes.
struct alignas(16) fixed_text {
  char text[16];
};

inline constexpr auto byte_values = [] {
  std::array<char, 256> bytes{};
  for (std::size_t c = 0; c < bytes.size(); ++c) bytes[c] = static_cast<char>(c);
  return bytes;
}();

// The fixed text of a character, or an empty view where it has none.
constexpr std::string_view fixed_text_of(int c) {
  std::string_view text = letter_entity(c);
  if (text.empty() && !action_for(c) && c != escape_character && c != '\n')
    text = std::string_view(&byte_values[static_cast<std::size_t>(c)], 1);
  if (text.size() > sizeof(fixed_text)) text = {};
  return text;
}

inline constexpr auto fixed_text_by_character = [] {
  std::array<fixed_text, 256> table{};
  for (int c = 0; c < 256; ++c) {
    std::string_view text = fixed_text_of(c);
    for (std::size_t i = 0; i < text.size(); ++i)
      table[static_cast<std::size_t>(c)].text[i] = text[i];
  }
  return table;
}();

// The size of each character's fixed text; 0 where it has none.
inline constexpr auto fixed_text_size_by_character = [] {
  std::array<std::uint8_t, 256> sizes{};
  for (int c = 0; c < 256; ++c)
    sizes[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(fixed_text_of(c).size());
  return sizes;
}();

// The bit of each mark character; 0 for every other character.
inline constexpr auto mark_bit_by_character = [] {
  std::array<std::uint8_t, 256> bits{};
  for (const auto& mark : mark_table)
    bits[static_cast<unsigned char>(mark.key)] = static_cast<std::uint8_t>(mark.bit);
  return bits;
}();

inline constexpr auto sigma_stays_medial_before = [] {
  std::array<bool, 256> medial{};
  for (int c = 0; c < 256; ++c) medial[static_cast<std::size_t>(c)] = keeps_sigma_medial(c);
  return medial;
}();

}  // namespace grapho
