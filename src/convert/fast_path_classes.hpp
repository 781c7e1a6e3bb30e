// The fast path's classes of bytes, from the tables, and what bit operations
// on the classes of a block find: which bytes are in a run, where the block
// must stop, which sigmas are final and which letters carry marks. Every
// instruction set classifies its own way and shares these.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "convert/dispatch.hpp"

namespace grapho {

enum : std::uint8_t {
  class_escape = 1,    // the escape character, which opens and closes runs
  class_sigma = 2,     // "s", medial or final by what follows it
  class_mark = 4,      // a diacritic mark
  class_letter = 8,    // an ASCII letter, "s" included
  class_special = 16,  // in a run, left to the general path: "-", quotes, brackets, "&"
  class_bracket = 32,  // neither letter nor mark, yet keeps a sigma before it medial
};

// The bit of each mark character; 0 for every other character.
inline constexpr auto mark_bit_by_character = [] {
  std::array<std::uint8_t, 256> bits{};
  for (const auto& mark : mark_table)
    bits[static_cast<unsigned char>(mark.key)] = static_cast<std::uint8_t>(mark.bit);
  return bits;
}();

inline constexpr auto byte_values = [] {
  std::array<char, 256> bytes{};
  for (std::size_t c = 0; c < bytes.size(); ++c) bytes[c] = static_cast<char>(c);
  return bytes;
}();

// The text a character of a run stands for when no mark is pending and it
// depends on nothing around it, or an empty view: the letter or sign entity,
// or the character itself when it has no action.
constexpr std::string_view fixed_run_text(int c) {
  std::string_view text = letter_entity(c);
  if (text.empty() && !action_for(c) && c != escape_character)
    text = std::string_view(&byte_values[static_cast<std::size_t>(c)], 1);
  return text;
}

// The longest text that a slot of the table of texts holds
// (fast_path_texts.hpp).
inline constexpr std::size_t slot_text_size = 16;

// The classes of each byte value, from the tables. A special character is any
// other than "$", "s" and the marks that has no fixed text, or one too long
// for a slot (the "&" of kai).
inline constexpr auto class_by_character = [] {
  std::array<std::uint8_t, 256> classes{};
  for (int c = 0; c < 256; ++c) {
    auto& cls = classes[static_cast<std::size_t>(c)];
    bool mark = mark_bit_by_character[static_cast<std::size_t>(c)] != 0;
    if (c == escape_character) cls |= class_escape;
    if (c == sigma_key) cls |= class_sigma;
    if (mark) cls |= class_mark;
    if (is_letter(c)) cls |= class_letter;
    if (keeps_sigma_medial(c) && !is_letter(c) && !mark) cls |= class_bracket;
    std::size_t text_size = fixed_run_text(c).size();
    if (c != escape_character && c != sigma_key && !mark &&
        (text_size == 0 || text_size > slot_text_size))
      cls |= class_special;
  }
  return classes;
}();

// One bit per byte of a block of up to 64 bytes, bit i for byte i.
struct block_classes {
  std::uint64_t escape = 0;
  std::uint64_t sigma = 0;
  std::uint64_t mark = 0;
  std::uint64_t letter = 0;
  std::uint64_t special = 0;
  std::uint64_t bracket = 0;
};

// What a block's bytes stand for, beyond their own value: one bit per byte.
struct block_contexts {
  std::uint64_t run = 0;            // in a run
  std::uint64_t final_sigma = 0;    // a final sigma
  std::uint64_t marked_letter = 0;  // a letter after marks, at most three
};

// How many bits are set right below bit `at`.
inline std::size_t ones_before(std::uint64_t bits, std::size_t at) {
  return at == 0 ? 0 : static_cast<std::size_t>(std::countl_one(bits << (64 - at)));
}

// What the bit operations on a block's classes find.
struct block_masks {
  block_contexts contexts;
  // After each byte: in a run or not.
  std::uint64_t run_after;
  std::uint64_t run_marks;
  // The bytes before the marks that end the block, which wait for the letter
  // in the next one; and the bytes before the first that the general path
  // must take, at most `end`.
  std::size_t end;
  std::size_t stop;
};

// Combines the classes of up to `size` bytes (at most 64), given the classes of the byte after
// them and `escape_parity`, which has each bit set to the parity of the bits of
// `cls.escape` up to and including it.
inline block_masks combine_classes(const block_classes& cls, std::uint64_t escape_parity,
                                   std::size_t size, bool in_run, std::uint8_t after) {
  const std::uint64_t valid = size == 64 ? ~0ull : (1ull << size) - 1;
  const std::uint64_t last = 1ull << (size - 1);
  // Whether the byte after each byte is in one of the classes `cls_bits`,
  // given the bytes of a block in any of them.
  auto next = [&](std::uint64_t bits, std::uint8_t cls_bits) {
    return (bits >> 1) | (after & cls_bits ? last : 0);
  };

  // Every "$" opens or closes a run, but for "$$" outside a run, which stops the block.
  block_masks masks;
  masks.run_after = escape_parity ^ (in_run ? ~0ull : 0);
  block_contexts& contexts = masks.contexts;
  contexts.run = masks.run_after & ~cls.escape & valid;
  const std::uint64_t run_marks = contexts.run & cls.mark;
  masks.run_marks = run_marks;
  const std::uint64_t letter_or_mark = cls.letter | cls.mark;
  const std::uint64_t letter_or_mark_next = next(letter_or_mark, class_letter | class_mark);
  // A letter after marks takes the text of its row and mark set, or stops the
  // block (see translate_block). The general path checks the marks before
  // each character, but the rules only count marks, and no row breaks them.
  contexts.marked_letter = contexts.run & cls.letter & (run_marks << 1);
  // Marks must end in a letter, and more than three of them go the general way.
  const std::uint64_t long_marks =
      contexts.marked_letter & (run_marks << 2) & (run_marks << 3) & (run_marks << 4);
  std::uint64_t stops = (cls.escape & masks.run_after & next(cls.escape, class_escape)) |
                        (contexts.run & cls.special) | (run_marks & ~letter_or_mark_next) |
                        long_marks;
  masks.end = size - ones_before(run_marks, size);
  std::size_t stop =
      std::min<std::size_t>(static_cast<std::size_t>(std::countr_zero(stops)), masks.end);
  // The general path starts at the first of the marks before a stop.
  masks.stop = stop - ones_before(run_marks, stop);
  const std::uint64_t medial_next =
      next(letter_or_mark | cls.bracket, class_letter | class_mark | class_bracket);
  contexts.final_sigma = contexts.run & cls.sigma & ~medial_next;
  return masks;
}

}  // namespace grapho
