// The fast path, private to it. The input goes in blocks of up to 64 bytes. A
// classifier marks in one bit per byte the bytes of each class (for whole
// blocks with SIMD where the processor has it). Bit operations on these masks
// find which bytes are in a run (every "$" opens or closes one), where the
// block must stop, which sigmas are final and which letters carry marks. The
// classifier then gives each byte the offset of its text in one table: outside
// a run the byte itself; inside, its letter entity or the byte itself, the
// final sigma, or the letter with its marks. Last, each text is copied as one
// block of 16 bytes and the output moves on by the text's size, with no branch
// per byte.
//
// This header holds it all, so that each kind of processor compiles the whole
// loop over blocks as one function (fast_path_x86.cpp) and the portable kind
// another (fast_path.cpp).
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

// Plans up to `size` bytes (at most 64), given the classes of the byte after
// them and `escape_parity`, prefix_xor(cls.escape), which some processors
// compute faster.
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
  for (std::size_t slot = marked_letter_slots_first; slot < slots.size(); ++slot)
    slots[slot].size = fast_path_invalid_text_size;
  for (const auto& row : combination_table)
    slots[marked_letter_offset(row.letter, row.marks) / slot_step] = make_slot(row.entity);
  return slots;
}();

inline bool has_text(std::uint16_t offset) {
  return text_slots[offset / slot_step].size != fast_path_invalid_text_size;
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
// from it. Each text costs five instructions: read its offset, read its 16
// bytes and its size, write the bytes and move on by the size. The sizes are
// read through a pointer of their own, which the compiler cannot tell is the
// table's plus 16: it then reads both with the offset alone, not computing
// the slot's address first.
inline char* write_eight_texts(const std::uint16_t* offsets, char* out) {
  const char* texts = reinterpret_cast<const char*>(text_slots.data());
  const char* sizes = texts + offsetof(text_slot, size);
#if defined(__GNUC__)
  asm("" : "+r"(sizes));
#endif
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

// The same for a whole block, unrolled: no branch at all.
inline char* write_block_texts(const std::uint16_t* offsets, char* out) {
#pragma GCC unroll 8
  for (std::size_t i = 0; i < fast_path_block_size; i += 8)
    out = write_eight_texts(offsets + i, out);
  return out;
}

// The offset of each letter's row with no marks.
inline constexpr auto marked_letter_offset_by_character = [] {
  std::array<std::uint16_t, 256> offsets{};
  for (int c = 0; c < 256; ++c) offsets[static_cast<std::size_t>(c)] = marked_letter_offset(c, 0);
  return offsets;
}();

// ---------------------------------------------------------------------------
// The portable classifier, eight bytes at a time; it also takes the last,
// shorter block of a span.

// The classes of each byte value spread out, class bit k to bit 8k, and
// shifted by each place i that the byte may have in a group of eight: the
// classes of the eight bytes then add up with no carry into one byte for each
// class, bit i for byte i.
inline constexpr auto spread_classes_by_place = [] {
  std::array<std::array<std::uint64_t, 256>, 8> spread{};
  for (std::size_t place = 0; place < spread.size(); ++place)
    for (std::size_t c = 0; c < 256; ++c)
      for (int k = 0; k < 8; ++k)
        if (class_by_character[c] >> k & 1) spread[place][c] |= 1ull << (8 * k + place);
  return spread;
}();

// The classes of up to eight bytes, each from the table of its place: two
// instructions a byte, one that reads it and one that reads the table and
// merges.
inline std::uint64_t classify_eight(const unsigned char* eight, std::size_t size) {
  std::uint64_t classes = 0;
  for (std::size_t i = 0; i < size; ++i) classes |= spread_classes_by_place[i][eight[i]];
  return classes;
}

// Swaps the upper `shift` bits of each `2 * shift` in `low` with the lower
// ones of `high`, where `mask` marks those lower ones.
inline void swap_bits(std::uint64_t& low, std::uint64_t& high, int shift, std::uint64_t mask) {
  const std::uint64_t swapped = ((low >> shift) ^ high) & mask;
  high ^= swapped;
  low ^= swapped << shift;
}

// Transposes eight words of eight bytes, byte k of word g to byte g of word
// k, by swapping their halves, then quarters, then eighths.
inline void transpose_bytes(std::array<std::uint64_t, 8>& words) {
  for (std::size_t g = 0; g < 4; ++g) swap_bits(words[g], words[g + 4], 32, 0x00000000ffffffff);
  for (std::size_t g : {0, 1, 4, 5}) swap_bits(words[g], words[g + 2], 16, 0x0000ffff0000ffff);
  for (std::size_t g : {0, 2, 4, 6}) swap_bits(words[g], words[g + 1], 8, 0x00ff00ff00ff00ff);
}

// The classes of up to 64 bytes: eight bytes at a time, one byte for each
// class, then all transposed at once into one word for each class.
inline block_classes classify_bytes(const unsigned char* block, std::size_t size) {
  std::array<std::uint64_t, 8> words{};
  std::size_t group = 0;
#pragma GCC unroll 8
  for (; group * 8 + 8 <= size; ++group) words[group] = classify_eight(block + group * 8, 8);
  if (group * 8 < size) words[group] = classify_eight(block + group * 8, size - group * 8);
  transpose_bytes(words);
  auto mask = [&](std::uint8_t cls) {
    return words[static_cast<std::size_t>(std::countr_zero(cls))];
  };
  return {mask(class_escape), mask(class_sigma),   mask(class_mark),
          mask(class_letter), mask(class_special), mask(class_bracket)};
}

// The run parts of eight offsets, in the 16-bit lanes of two 64-bit words,
// by the eight bytes' run bits.
inline constexpr auto run_offsets_by_eight_bits = [] {
  std::array<std::array<std::uint64_t, 2>, 256> words{};
  for (std::size_t bits = 0; bits < words.size(); ++bits)
    for (std::size_t lane = 0; lane < 8; ++lane)
      if (bits >> lane & 1)
        words[bits][lane / 4] |= std::uint64_t{run_slots_first * slot_step} << (16 * (lane % 4));
  return words;
}();

inline void write_byte_offsets(const unsigned char* block, std::size_t size,
                               const block_contexts& contexts, std::uint64_t run_marks,
                               std::uint16_t* offsets) {
  // The bytes first, in a loop simple enough for the compiler to take many at
  // once; then the run part, eight offsets at a time in the 16-bit lanes of two
  // 64-bit words where words are little-endian, by their eight run bits.
  for (std::size_t i = 0; i < size; ++i)
    offsets[i] = static_cast<std::uint16_t>(block[i] * slot_step);
  std::size_t i = 0;
  for (; std::endian::native == std::endian::little && i + 8 <= size; i += 8) {
    std::uint64_t words[2];
    std::memcpy(words, offsets + i, sizeof words);
    const auto& parts = run_offsets_by_eight_bits[contexts.run >> i & 0xff];
    words[0] |= parts[0];
    words[1] |= parts[1];
    std::memcpy(offsets + i, words, sizeof words);
  }
  for (; i < size; ++i)
    offsets[i] |= static_cast<std::uint16_t>((contexts.run >> i & 1) * run_slots_first * slot_step);
  for (std::uint64_t sigmas = contexts.final_sigma; sigmas != 0; sigmas &= sigmas - 1)
    offsets[std::countr_zero(sigmas)] = final_sigma_slot * slot_step;
  auto mark_offset = [&](std::size_t mark) {
    return static_cast<std::uint16_t>(mark_bit_by_character[block[mark]] * slot_step);
  };
  for (std::uint64_t letters = contexts.marked_letter; letters != 0; letters &= letters - 1) {
    auto letter = static_cast<std::size_t>(std::countr_zero(letters));
    offsets[letter] = marked_letter_offset_by_character[block[letter]] | mark_offset(letter - 1);
  }
  // Most letters have one mark: the marks two and three before a letter, up
  // to three as more stop the block before it, are added after.
  std::uint64_t marks = contexts.marked_letter >> 1;
  for (std::size_t distance = 2; distance <= 3; ++distance) {
    marks = marks >> 1 & run_marks;
    for (std::uint64_t left = marks; left != 0; left &= left - 1) {
      auto mark = static_cast<std::size_t>(std::countr_zero(left));
      offsets[mark + distance] |= mark_offset(mark);
    }
  }
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

// The portable preparation, which also takes the last, shorter block of a span.
inline block_masks prepare_bytes(const unsigned char* block, std::size_t size, bool in_run,
                                 std::uint16_t* offsets) {
  const block_classes classes = classify_bytes(block, size);
  block_masks masks = combine_classes(classes, prefix_xor(classes.escape), size, in_run,
                                      class_by_character[block[size]]);
  write_byte_offsets(block, size, masks.contexts, masks.run_marks, offsets);
  return masks;
}

// Translates up to `size` bytes (at most 64) of `block`, reading the byte after
// them too; `prepare_whole_block` prepares a whole block.
template <auto prepare_whole_block>
[[gnu::always_inline]] inline block_result translate_block(const unsigned char* block,
                                                           std::size_t size, bool in_run,
                                                           char* out) {
  alignas(32) std::uint16_t offsets[fast_path_block_size];
  const block_masks masks = size == fast_path_block_size
                                ? prepare_whole_block(block, in_run, offsets)
                                : prepare_bytes(block, size, in_run, offsets);
  std::size_t stop = masks.stop;
  const std::size_t end = masks.end;

  // Marks that end the block write nothing, so a block that stops nowhere
  // writes all its texts, as many as a whole block has most often.
  const std::size_t count = stop < end ? stop : size;
  char* written = count == fast_path_block_size ? write_block_texts(offsets, out)
                                                : write_texts(offsets, count, out);
  if (static_cast<std::size_t>(written - out) > count * fast_path_output_per_byte) {
    // A letter whose marks have no text: stop at its first mark.
    std::uint64_t letters = masks.contexts.marked_letter;
    while (has_text(offsets[std::countr_zero(letters)])) letters &= letters - 1;
    auto letter = static_cast<std::size_t>(std::countr_zero(letters));
    stop = letter - ones_before(masks.run_marks, letter);
    written = write_texts(offsets, stop, out);
  }
  bool run_after = stop == 0 ? in_run : (masks.run_after >> (stop - 1) & 1) != 0;
  return {stop, written, run_after, stop < end};
}

// The fast path's contract (see translate_span), with a preparation of whole
// blocks; compiled into one function for each kind of processor.
template <auto prepare_whole_block>
[[gnu::always_inline]] inline fast_path_progress translate_blocks(
    std::span<const unsigned char> input, std::span<char> output, bool in_run) {
  const unsigned char* in = input.data();
  const unsigned char* in_end = in + input.size();
  char* out = output.data();
  char* out_end = out + output.size();
  for (;;) {
    // A block needs the byte after it, and room for its longest translation.
    auto left = static_cast<std::size_t>(in_end - in);
    auto room = static_cast<std::size_t>(out_end - out);
    if (left < 2 || room < fast_path_room(1)) break;
    if (!in_run) {
      // Text outside runs is copied up to the next "$" in one piece.
      std::size_t span = std::min(left - 1, room - fast_path_store_overhang);
      const auto* escape =
          static_cast<const unsigned char*>(std::memchr(in, escape_character, span));
      auto plain = static_cast<std::size_t>((escape ? escape : in + span) - in);
      std::memcpy(out, in, plain);
      in += plain;
      out += plain;
      room -= plain;
      if (escape == nullptr || room < fast_path_room(1)) break;
      left -= plain;
    }
    // A whole block most often; a division only when room is short.
    std::size_t size = room >= fast_path_room(fast_path_block_size)
                           ? fast_path_block_size
                           : (room - fast_path_store_overhang) / fast_path_output_per_byte;
    size = std::min(size, left - 1);
    block_result block = translate_block<prepare_whole_block>(in, size, in_run, out);
    in += block.read;
    out = block.out;
    in_run = block.in_run;
    if (block.stopped || block.read == 0) break;
  }
  return {static_cast<std::size_t>(in - input.data()),
          static_cast<std::size_t>(out - output.data()), in_run};
}

#if GRAPHO_SIMD_X86
#if !defined(__x86_64__) || !defined(__GNUC__)
#error "The SIMD classifiers need x86-64 and GCC or clang"
#endif
fast_path_progress translate_span_sse42(std::span<const unsigned char> input,
                                        std::span<char> output, bool in_run);
fast_path_progress translate_span_avx2(std::span<const unsigned char> input, std::span<char> output,
                                       bool in_run);
#endif

}  // namespace grapho
