// Look-up tables for translating a run, derived at compile time from the
// tables of letters, marks and combinations and from the table of actions, so
// that every character of a run is dispatched with one indexed load.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "convert/greek_run.hpp"
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
    {sigma_key, write_sigma},
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

// Each byte value's slot in the index below: its place in `letters_taking_marks`,
// or, for every byte that is not such a letter, the last slot, which is empty.
inline constexpr auto combination_slot_by_character = [] {
  std::array<std::uint8_t, 256> slots{};
  slots.fill(static_cast<std::uint8_t>(letters_taking_marks.size()));
  for (std::size_t slot = 0; slot < letters_taking_marks.size(); ++slot)
    slots[static_cast<unsigned char>(letters_taking_marks[slot])] = static_cast<std::uint8_t>(slot);
  return slots;
}();

// For each slot and mark set, 1 + the number of its row, or 0 for none.
inline constexpr auto combination_index = [] {
  std::array<std::array<std::uint8_t, 128>, letters_taking_marks.size() + 1> index{};
  for (std::size_t row = 0; row < std::size(combination_table); ++row) {
    const auto& entry = combination_table[row];
    index[letters_taking_marks.find(entry.letter)][entry.marks] =
        static_cast<std::uint8_t>(row + 1);
  }
  return index;
}();

// The row for a byte value and a mark set below 128, or nullptr.
inline const combination_row* find_combination_row(unsigned char letter, unsigned marks) {
  std::uint8_t row = combination_index[combination_slot_by_character[letter]][marks];
  return row == 0 ? nullptr : &combination_table[row - 1];
}

// No row holds a set of marks that breaks a rule of combination, so a letter
// whose marks have a row needs no further check.
static_assert(std::none_of(std::begin(combination_table), std::end(combination_table),
                           [](const auto& row) { return broken_mark_rule(row.marks) != nullptr; }));

}  // namespace grapho
