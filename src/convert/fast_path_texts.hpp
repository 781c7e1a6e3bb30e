// The fast path's table of texts, one slot for each text that a byte can
// stand for, and the copying of texts into the output by their slots.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "convert/fast_path.hpp"
#include "convert/fast_path_classes.hpp"

namespace grapho {

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

// The size of the text at `offset`, read at the offset scaled as an address
// takes it.
inline std::uint64_t text_size(std::uint16_t offset) {
  std::uint64_t size;
  std::memcpy(&size,
              reinterpret_cast<const char*>(text_slots.data()) + offsetof(text_slot, size) +
                  std::size_t{offset} * offset_unit,
              sizeof size);
  return size;
}

// Whether a letter with marks has a text: no other has none.
inline bool has_text(std::uint16_t offset) {
  return text_size(offset) != 0;
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

// The same for a whole block, unrolled: no branch at all (bench/README.md
// measures it).
inline char* write_block_texts(const std::uint16_t* offsets, char* out) {
#pragma GCC unroll 8
  for (std::size_t i = 0; i < fast_path_block_size; i += 8)
    out = write_eight_texts(offsets + i, out);
  return out;
}

}  // namespace grapho
