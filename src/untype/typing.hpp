// How each character that grapho writes is typed, derived once from the tables
// it converts with: the letters and signs, the sigma, the quotation marks, the
// doubled signs and the letters with marks, and the characters Unicode holds
// equal to one of them.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "greek/keyed_table.hpp"
#include "greek/tables.hpp"
#include "greek/unicode_data.hpp"

namespace grapho {

enum class typed_role : std::uint8_t {
  none,           // not typed
  letter,         // a letter key, with the marks typed before it
  sign,           // a sign key of its own in the Greek blocks: ', `
  stop,           // the key of a punctuation mark outside them: ;
  medial_sigma,   // "s" where what follows keeps it medial
  final_sigma,    // "s", or "j" where what follows would make "s" medial
  opening_quote,  // '"' where the alternation opens a quotation
  closing_quote,  // '"' where it closes one
  pair,           // the key doubled
};

struct typing {
  typed_role role = typed_role::none;
  char key = 0;
  std::uint8_t marks = 0;
};

struct typed_character {
  char32_t code_point;
  std::string_view entity;  // the reference grapho writes for it
  typing how;
};

constexpr bool is_single_reference(std::string_view entity) {
  return entity.size() > 2 && entity.front() == '&' && entity.find(';') == entity.size() - 1;
}

// Every character grapho writes as one reference, with how it is typed. The
// sigma's own texts come before the letter entries, so that the final sigma is
// the sigma's and not only "j"'s.
inline constexpr auto typed_characters = [] {
  constexpr std::size_t count = 2 + 2 + std::size(pair_entries) + std::size(combination_table) +
                                std::size(letter_entries) - 2;  // without "&" and "j"
  std::array<typed_character, count> all{};
  std::size_t next = 0;
  auto add = [&](std::string_view entity, typing how) {
    all[next++] = {code_point_of(entity), entity, how};
  };
  add(medial_sigma_entity, {typed_role::medial_sigma, sigma_key});
  add(final_sigma_entity, {typed_role::final_sigma, sigma_key});
  add(opening_quote_entity, {typed_role::opening_quote, quote_key});
  add(closing_quote_entity, {typed_role::closing_quote, quote_key});
  for (const auto& pair : pair_entries) add(pair.entity, {typed_role::pair, pair.key});
  for (const auto& row : combination_table)
    add(row.entity, {typed_role::letter, row.letter, static_cast<std::uint8_t>(row.marks)});
  for (const auto& entry : letter_entries) {
    if (!is_single_reference(entry.entity) || entry.entity == final_sigma_entity) continue;
    typed_role role = is_letter(entry.key)                           ? typed_role::letter
                      : in_greek_blocks(code_point_of(entry.entity)) ? typed_role::sign
                                                                     : typed_role::stop;
    add(entry.entity, {role, entry.key});
  }
  if (next != count) throw "the count of typed characters is wrong";
  return all;
}();

// How a character of the Greek blocks is typed, by its slot among them: the
// typed characters and their canonical singletons.
inline constexpr auto typing_in_greek_blocks = [] {
  std::array<typing, greek_block_size> table{};
  for (const auto& character : typed_characters)
    if (in_greek_blocks(character.code_point))
      table[greek_block_slot(character.code_point)] = character.how;
  for (const auto& singleton : canonical_singletons)
    for (const auto& character : typed_characters)
      if (character.code_point == singleton.equivalent)
        table[greek_block_slot(singleton.code_point)] = character.how;
  return table;
}();

constexpr typing typing_of_greek(char32_t c) {
  std::size_t slot = greek_block_slot(c);
  return slot == greek_block_size ? typing{} : typing_in_greek_blocks[slot];
}

// How a character read as UTF-8 is typed: those of the Greek blocks, and those
// outside them that one of theirs is canonically equivalent to (the middle dot
// U+00B7, grapho's upper stop, which the Greek ano teleia U+0387 is, and which
// Greek text in Normalization Form C therefore holds).
constexpr typing typing_of_character(char32_t c) {
  if (in_greek_blocks(c)) return typing_of_greek(c);
  for (const auto& singleton : canonical_singletons)
    if (singleton.equivalent == c) return typing_of_greek(singleton.code_point);
  return {};
}

// Which letters take which sets of marks, by letter and mark set.
inline constexpr auto combination_exists = [] {
  std::array<std::array<bool, 128>, 128> exists{};
  for (const auto& row : combination_table)
    exists[static_cast<unsigned char>(row.letter)][row.marks] = true;
  return exists;
}();

// The letter key that always gives the final sigma.
inline constexpr char final_sigma_key = [] {
  for (const auto& entry : letter_entries)
    if (entry.entity == final_sigma_entity) return entry.key;
  throw "no key for the final sigma";
}();

// The key typed for each mark.
constexpr char key_of_mark(unsigned bit) {
  for (const auto& entry : mark_table)
    if (entry.bit == bit) return entry.key;
  return 0;
}

// ---------------------------------------------------------------------------
// The references grapho writes, found by their exact spelling.
//
// A reference is at most nine bytes long, and its ";" ends it. Its key is its
// first eight bytes as a number, the first byte lowest: those up to the ";",
// the rest zero, or all eight of a nine-byte one, whose ninth is the ";".

constexpr std::uint64_t reference_key(std::string_view text) {
  std::uint64_t key = 0;
  for (std::size_t i = 0; i < text.size() && i < 8; ++i)
    key |= std::uint64_t{static_cast<unsigned char>(text[i])} << (8 * i);
  return key;
}

// The references by key, each in a slot of its own under a multiplier found
// by trying, so that finding one takes one look; were a table to change, the
// probing keeps it right, if slower. A slot holds 1 + the index of its
// reference's typed character.
inline constexpr auto reference_index = [] {
  keyed_table<std::uint16_t, 11, 0x72440213f2b42d73u> slots;
  for (std::size_t i = 0; i < typed_characters.size(); ++i) {
    std::string_view entity = typed_characters[i].entity;
    if (entity.size() > 9) throw "a reference longer than nine bytes";
    auto& slot = slots.slot_for(reference_key(entity));
    if (slot.value != 0) throw "a reference twice";
    slot.value = static_cast<std::uint16_t>(i + 1);
  }
  return slots;
}();

// The key of the reference that may start `text` (of `size` bytes, at least
// one, the first an "&"), or 0 when no reference grapho writes can; `length`
// is then its length.
inline std::uint64_t reference_key_at(const unsigned char* text, std::size_t size,
                                      std::size_t& length) {
  std::uint64_t word = 0;
  if (size >= 9 && std::endian::native == std::endian::little) {
    std::memcpy(&word, text, 8);
  } else {
    for (std::size_t i = 0; i < size && i < 8; ++i) word |= std::uint64_t{text[i]} << (8 * i);
  }
  // The bytes that are ";" have their high bit set, the first exactly.
  constexpr std::uint64_t ones = 0x0101010101010101u, semicolons = ones * ';';
  std::uint64_t x = word ^ semicolons;
  std::uint64_t found = (x - ones) & ~x & (ones << 7);
  // The bytes after the ";" are no part of the key; a key without a ";" is
  // that of a reference of nine bytes, whose ninth is the ";".
  if (found != 0) {
    auto semicolon_bit = static_cast<unsigned>(std::countr_zero(found));
    length = semicolon_bit / 8 + 1;
    return word & (~std::uint64_t{0} >> (63 - semicolon_bit));
  }
  length = 9;
  return size >= 9 && text[8] == ';' ? word : 0;
}

// The slot in reference_index of the reference that starts `text`, or -1. A
// key with a ";" is that of a reference of at most eight bytes, one without
// of nine: the key alone tells them apart.
inline int find_reference_slot(const unsigned char* text, std::size_t size, std::size_t& length) {
  std::uint64_t key = reference_key_at(text, size, length);
  return key == 0 ? -1 : reference_index.find(key);
}

inline int find_reference_slot(const unsigned char* text, std::size_t size) {
  std::size_t length;
  return find_reference_slot(text, size, length);
}

}  // namespace grapho
