// The fast path's data and its scalar steps, shared by every instruction set:
// the classes of bytes, the bit operations on a block's class masks, the table
// of texts and the copying of texts. The vector steps are in
// fast_path_kernel.hpp.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "convert/dispatch.hpp"
#include "convert/fast_path.hpp"

namespace grapho {

// ---------------------------------------------------------------------------
// Classes of bytes, each a bit.

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

// The longest text that a slot of the table of texts (below) holds.
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

// ---------------------------------------------------------------------------
// Block classifiers.

// One bit per byte of a block of up to 64 bytes, bit i for byte i.
struct block_classes {
  std::uint64_t escape = 0;
  std::uint64_t sigma = 0;
  std::uint64_t mark = 0;
  std::uint64_t letter = 0;
  std::uint64_t special = 0;
  std::uint64_t bracket = 0;
};

// The table of texts, in slots of 32 bytes: a text of up to 16 bytes, then
// its size. It holds a slot for each byte value outside runs, one
// for each inside, the final sigma 256 slots after the medial one (so that
// it differs from it by the high byte of its slot number alone), then from
// slot 768 a row of 128 slots, one for each mark
// set, for each letter with marks. A letter's row is its place in
// `letters_taking_marks`, where each small letter comes right before its
// capital; any other letter has the row after them all, plus 1 for a capital.
// The row and the mark set are then simple to compute with SIMD.
// Slots are addressed by their offset in units of 8 bytes, the largest scale
// of an x86 address, which fits 16 bits: slot number times slot_step.
inline constexpr std::size_t slot_size = 32;
inline constexpr std::size_t offset_unit = 8;
inline constexpr std::size_t slot_step = slot_size / offset_unit;
inline constexpr std::size_t run_slots_first = 256;
inline constexpr std::size_t final_sigma_slot = 2 * run_slots_first + sigma_key;
inline constexpr std::size_t marked_letter_slots_first = 768;
inline constexpr std::size_t marked_letter_rows = letters_taking_marks.size() + 2;

static_assert([] {
  for (std::size_t row = 0; row < letters_taking_marks.size(); row += 2)
    if (letters_taking_marks[row] < 'a' ||
        letters_taking_marks[row + 1] != letters_taking_marks[row] - 'a' + 'A')
      return false;
  return letters_taking_marks.size() % 2 == 0;
}());

constexpr std::size_t marked_letter_row(int c) {
  bool capital = c >= 'A' && c <= 'Z';
  std::size_t row = letters_taking_marks.find(static_cast<char>(c));
  return row != std::string_view::npos ? row : letters_taking_marks.size() + (capital ? 1 : 0);
}

constexpr std::uint16_t marked_letter_offset(int c, unsigned marks) {
  return static_cast<std::uint16_t>(
      (marked_letter_slots_first + 128 * marked_letter_row(c) + marks) * slot_step);
}

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

// ---------------------------------------------------------------------------
// The table of texts.

struct alignas(slot_size) text_slot {
  char text[slot_text_size];
  std::uint64_t size;
};
static_assert(sizeof(text_slot) == slot_size);

constexpr text_slot make_slot(std::string_view text) {
  text_slot slot{};
  std::copy(text.begin(), text.end(), slot.text);
  slot.size = text.size();
  return slot;
}

// In a run, marks and "$" write nothing, "s" writes a medial sigma unless
// told otherwise, and the special characters never reach the table.
constexpr std::string_view run_slot_text(int c) {
  auto cls = class_by_character[static_cast<std::size_t>(c)];
  if (cls & class_sigma) return medial_sigma_entity;
  if (cls & (class_escape | class_mark | class_special)) return {};
  return fixed_run_text(c);
}

inline constexpr auto text_slots = [] {
  std::array<text_slot, marked_letter_slots_first + 128 * marked_letter_rows> slots{};
  for (int c = 0; c < 256; ++c) {
    auto byte = static_cast<std::size_t>(c);
    // Outside a run a "$" opens one and writes nothing; "$$" goes the general way.
    slots[byte] = make_slot(c == escape_character ? std::string_view()
                                                  : std::string_view(&byte_values[byte], 1));
    slots[run_slots_first + byte] = make_slot(run_slot_text(c));
  }
  slots[final_sigma_slot] = make_slot(final_sigma_entity);
  for (const auto& row : combination_table)
    slots[marked_letter_offset(row.letter, row.marks) / slot_step] = make_slot(row.entity);
  return slots;
}();

// Whether a letter with marks has a text: no other has none.
inline bool has_text(std::uint16_t offset) {
  return text_slots[offset / slot_step].size != 0;
}

// Copies the text at `offset`, as 16 bytes, and moves on by its size.
inline char* write_text(std::size_t offset, char* out) {
  const text_slot& slot = text_slots[offset / slot_step];
  std::memcpy(out, slot.text, slot_text_size);
  return out + slot.size;
}

// Eight texts at a time, then one at a time. The eight texts and their sizes
// are all read before any is written: the processor then never holds a read of
// the table back behind a write to the output that it cannot yet tell apart
// from it.
inline char* write_eight_texts(const std::uint16_t* offsets, char* out) {
  const char* texts = reinterpret_cast<const char*>(text_slots.data());
  const char* sizes = texts + offsetof(text_slot, size);
  char eight[8][slot_text_size];
  std::uint64_t size[8];
  for (std::size_t i = 0; i < 8; ++i) {
    std::size_t at = std::size_t{offsets[i]} * offset_unit;
    std::memcpy(eight[i], texts + at, slot_text_size);
    std::memcpy(&size[i], sizes + at, sizeof size[i]);
  }
  for (std::size_t i = 0; i < 8; ++i) {
    std::memcpy(out, eight[i], slot_text_size);
    out += size[i];
  }
  return out;
}

inline char* write_texts(const std::uint16_t* offsets, std::size_t count, char* out) {
  std::size_t i = 0;
  for (; i + 8 <= count; i += 8) out = write_eight_texts(offsets + i, out);
  for (; i < count; ++i) out = write_text(offsets[i], out);
  return out;
}

// The same for a whole block, unrolled: no branch at all (without the
// unrolling, 4% more instructions on real text).
inline char* write_block_texts(const std::uint16_t* offsets, char* out) {
#pragma GCC unroll 8
  for (std::size_t i = 0; i < fast_path_block_size; i += 8)
    out = write_eight_texts(offsets + i, out);
  return out;
}

// ---------------------------------------------------------------------------
// One block.

struct block_result {
  std::size_t read;
  char* out;
  bool in_run;
  // Whether the block stopped before something the general path must take.
  bool stopped;
};

// ---------------------------------------------------------------------------
// The tables of the vector code.
//
// A byte's class comes from two table look-ups, one by each nibble of the byte
// (a SIMD shuffle looks up 16 or 32 bytes at once): a byte belongs to a group
// when both of its nibbles do. Seven groups, each a set of high nibbles times a
// set of low nibbles, make up the marks, the special characters and the
// brackets; letters are found by their range, "$" and "s" by comparison.

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

#if GRAPHO_SIMD_X86
fast_path_progress translate_span_avx2(std::span<const unsigned char> input, std::span<char> output,
                                       bool in_run);
#endif

}  // namespace grapho
