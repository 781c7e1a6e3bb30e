// What the fast path's block classifiers share: the classes of input bytes,
// the layout of the table of texts, and the interface of a classifier. Private
// to the fast path.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>

#include "greek/dispatch.hpp"
#include "greek/fast_path.hpp"

namespace grapho {

// ---------------------------------------------------------------------------
// Classes of bytes, each a bit.

enum : std::uint8_t {
  class_dollar = 1,    // the escape character, which opens and closes runs
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

// The longest text that a slot of the table of texts (below) holds.
inline constexpr std::size_t slot_text_size = 14;

// The classes of each byte value, from the tables. A special character is any
// other than "$", "s" and the marks that has no fixed text, or one too long
// for a slot (the "&" of kai).
inline constexpr auto class_by_character = [] {
  std::array<std::uint8_t, 256> classes{};
  for (int c = 0; c < 256; ++c) {
    auto& cls = classes[static_cast<std::size_t>(c)];
    bool mark = mark_bit_by_character[static_cast<std::size_t>(c)] != 0;
    if (c == escape_character) cls |= class_dollar;
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

// ---------------------------------------------------------------------------
// Block classifiers.

// One bit per byte of a block of up to 64 bytes, bit i for byte i.
struct block_classes {
  std::uint64_t dollar = 0;
  std::uint64_t sigma = 0;
  std::uint64_t mark = 0;
  std::uint64_t letter = 0;
  std::uint64_t special = 0;
  std::uint64_t bracket = 0;
};

// The table of texts, in slots of 16 bytes: a text of up to 14 bytes, then
// its size in 16 bits. It holds a slot for each byte value outside runs, one
// for each inside, the final sigma, then a row of 128 slots, one for each mark
// set, for each letter with marks. A letter's row is twice the place of its
// small form in `letters_with_marks` (8 for any other letter), plus 1 for a
// capital: the row and the mark set are then simple to compute with SIMD.
// Slots are addressed by their offset in bytes, which fits 16 bits.
inline constexpr std::size_t slot_size = 16;
inline constexpr std::size_t run_slots_first = 256;
inline constexpr std::size_t final_sigma_slot = 512;
inline constexpr std::size_t marked_letter_slots_first = 768;
inline constexpr std::string_view letters_with_marks = "aehiouwr";
inline constexpr std::size_t marked_letter_rows = 2 * (letters_with_marks.size() + 1);

constexpr std::size_t marked_letter_row(int c) {
  bool capital = c >= 'A' && c <= 'Z';
  std::size_t base = letters_with_marks.find(static_cast<char>(capital ? c - 'A' + 'a' : c));
  return 2 * std::min(base, letters_with_marks.size()) + (capital ? 1 : 0);
}

constexpr std::uint16_t marked_letter_offset(int c, unsigned marks) {
  return static_cast<std::uint16_t>(
      (marked_letter_slots_first + 128 * marked_letter_row(c) + marks) * slot_size);
}

// What a block's bytes stand for, beyond their own value: one bit per byte.
struct block_contexts {
  std::uint64_t run = 0;            // in a run
  std::uint64_t final_sigma = 0;    // a final sigma
  std::uint64_t marked_letter = 0;  // a letter after marks, at most three
};

// Sets each bit to the parity of the bits up to and including it.
constexpr std::uint64_t prefix_xor(std::uint64_t bits) {
  for (int shift = 1; shift < 64; shift *= 2) bits ^= bits << shift;
  return bits;
}

// How many bits are set right below bit `at`.
inline std::size_t ones_before(std::uint64_t bits, std::size_t at) {
  return at == 0 ? 0 : static_cast<std::size_t>(std::countl_one(bits << (64 - at)));
}

// What the bit operations on a block's classes find.
struct block_plan {
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

// Plans up to `size` bytes (at most 64), given the classes of the byte after them.
inline block_plan plan_block(const block_classes& cls, std::size_t size, bool in_run,
                             std::uint8_t after) {
  const std::uint64_t valid = size == 64 ? ~0ull : (1ull << size) - 1;
  const std::uint64_t last = 1ull << (size - 1);
  // The classes of the byte after each byte.
  auto next = [&](std::uint64_t bits, std::uint8_t cls_bit) {
    return (bits >> 1) | (after & cls_bit ? last : 0);
  };

  // Every "$" opens or closes a run, but for "$$" outside a run, which stops the block.
  block_plan plan;
  plan.run_after = prefix_xor(cls.dollar) ^ (in_run ? ~0ull : 0);
  block_contexts& contexts = plan.contexts;
  contexts.run = plan.run_after & ~cls.dollar & valid;
  const std::uint64_t run_marks = contexts.run & cls.mark;
  plan.run_marks = run_marks;
  const std::uint64_t letter_or_mark_next =
      next(cls.letter, class_letter) | next(cls.mark, class_mark);
  // A letter after marks takes the text of its row and mark set, or stops the
  // block (see translate_block). The general path checks the marks before
  // each character, but the rules only count marks, and no row breaks them.
  contexts.marked_letter = contexts.run & cls.letter & (run_marks << 1);
  // Marks must end in a letter, and more than three of them go the general way.
  const std::uint64_t long_marks =
      contexts.marked_letter & (run_marks << 2) & (run_marks << 3) & (run_marks << 4);
  std::uint64_t stops = (cls.dollar & plan.run_after & next(cls.dollar, class_dollar)) |
                        (contexts.run & cls.special) | (run_marks & ~letter_or_mark_next) |
                        long_marks;
  plan.end = size - ones_before(run_marks, size);
  std::size_t stop =
      std::min<std::size_t>(static_cast<std::size_t>(std::countr_zero(stops)), plan.end);
  // The general path starts at the first of the marks before a stop.
  plan.stop = stop - ones_before(run_marks, stop);
  const std::uint64_t medial_next = letter_or_mark_next | next(cls.bracket, class_bracket);
  contexts.final_sigma = contexts.run & cls.sigma & ~medial_next;
  return plan;
}

// Classifies a whole block of 64 bytes, plans it and writes the offset of each
// byte's text in the table of texts; one for each kind of processor.
using block_planner = block_plan (*)(const unsigned char* block, bool in_run,
                                     std::uint16_t* offsets);

#if GRAPHO_SIMD_X86
#if !defined(__x86_64__) || !defined(__GNUC__)
#error "The SIMD classifiers need x86-64 and GCC or clang"
#endif
block_plan plan_block_sse42(const unsigned char* block, bool in_run, std::uint16_t* offsets);
block_plan plan_block_avx2(const unsigned char* block, bool in_run, std::uint16_t* offsets);
#endif

}  // namespace grapho
