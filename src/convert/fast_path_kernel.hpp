// The fast path's algorithm, written once against a vector layer (a block of
// 64 bytes with the operations of src/simd/vector_portable.hpp) and compiled
// once for each instruction set, in a file of its own (fast_path_avx2.cpp,
// fast_path.cpp): hence the unnamed namespace, which keeps each compilation to
// its own file.
//
// The input goes in blocks of up to 64 bytes. The vector code marks in one bit
// per byte the bytes of each class. Bit operations on these masks find which
// bytes are in a run (every "$" opens or closes one), where the block must
// stop, which sigmas are final and which letters carry marks. The vector code
// then gives each byte the offset of its text in one table: outside a run the
// byte itself; inside, its letter entity or the byte itself, the final sigma,
// or the letter with its marks. Last, each text is copied as one block of 16
// bytes and the output moves on by the text's size, with no branch per byte.
//
// Each step is always inlined into the loop over blocks: GCC would otherwise
// leave some as calls that pass the block through memory (12% more
// instructions on real text).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "convert/fast_path.hpp"
#include "convert/fast_path_blocks.hpp"
#include "simd/constant.hpp"

namespace grapho {
namespace {

// The groups of each byte of `v`: the groups of its low nibble and of its high
// nibble, looked up in the two tables, and kept where both agree.
template <class Block>
[[gnu::always_inline]] inline Block byte_groups(const Block& v) {
  return lookup_by_nibbles<low_nibble_groups, high_nibble_groups>(v);
}

// The bits of the bytes in any of the groups of `set`.
template <std::uint8_t set, class Block>
[[gnu::always_inline]] inline std::uint64_t in_groups(const Block& groups) {
  return ~to_bits(
      equal(groups & Block::splat(simd::constant<set>), Block::splat(simd::constant<0>)));
}

template <class Block>
[[gnu::always_inline]] inline block_classes classify(const Block& v) {
  const Block groups = byte_groups(v);
  const Block folded = (v | Block::splat(simd::constant<0x20>)) - Block::splat(simd::constant<'a'>);
  block_classes classes;
  classes.escape = to_bits(equal(v, Block::splat(simd::constant<escape_character>)));
  classes.sigma = to_bits(equal(v, Block::splat(simd::constant<sigma_key>)));
  classes.mark = in_groups<mark_groups>(groups);
  classes.letter = to_bits(equal(min_bytes(folded, Block::splat(simd::constant<25>)), folded));
  classes.special = in_groups<special_groups>(groups);
  classes.bracket = in_groups<group_brackets>(groups);
  return classes;
}

// Writes the offset of each byte's text and returns the letters with marks that
// may have none (see marks_sure_for).
template <class Block>
[[gnu::always_inline]] inline std::uint64_t write_offsets(const Block& v,
                                                          const block_contexts& contexts,
                                                          std::uint16_t* offsets) {
  const Block zero = Block::splat(simd::constant<0>);
  // The bit of each mark, 0 for other bytes.
  const Block not_mark = equal(byte_groups(v) & Block::splat(simd::constant<mark_groups>), zero);
  const Block marks = andnot(not_mark, lookup<mark_bit_by_hash>(v - shift_right<3>(v)));
  // The marks of up to three bytes before each byte, as long as all are marks;
  // only a letter with marks, which has one right before it, takes this.
  const Block two_before = bytes_before<2>(marks);
  const Block further = two_before | andnot(equal(two_before, zero), bytes_before<3>(marks));
  const Block mark_set = bytes_before<1>(marks) | further;
  // A letter with marks: its row and mark set make its slot number. The low
  // five bits of a letter give its row, bit 5 tells a capital, which is
  // shifted to the top of its byte.
  const Block row_high_byte = lookup_by_five_bits<letter_high_bytes_low, letter_high_bytes_high>(v);
  const Block capital = shift_left<2>(andnot(v, Block::splat(simd::constant<0x20>)));
  const Block marked = Block::from_bits(contexts.marked_letter);
  const Block low = select(marked, mark_set | capital, v);
  // Outside a run a byte's slot is the byte itself, in a run 256 on, and the
  // final sigma 256 further.
  const Block run_part = Block::from_bits(contexts.run) & Block::splat(simd::constant<1>);
  const Block high =
      select(marked, row_high_byte, run_part - Block::from_bits(contexts.final_sigma));
  store_words<slot_step_shift>(low, high, offsets);

  // Where a look-up costs a load per byte, checking each letter with marks is
  // cheaper than the two look-ups below (46.4 against 58.3 instructions per
  // byte on real text, portable layer).
  if constexpr (!Block::lookups_are_cheap) return contexts.marked_letter;

  // The capital's bit is in no set of sure marks: every capital is unsure.
  const Block sure_marks = lookup<marks_sure_by_row_byte>(row_high_byte);
  const Block low_marks = low & Block::splat(simd::constant<15>);
  const Block unsure_marks =
      andnot(sure_marks, low) | (lookup<marks_never_beside>(low_marks) & low);
  return contexts.marked_letter & ~to_bits(equal(unsure_marks, zero));
}

// Prepares `size` bytes (at most 64) of a block of 64 that is followed by one
// more: the block's masks, and the letters with marks that may have no text.
template <class Block>
[[gnu::always_inline]] inline block_masks prepare_block(const unsigned char* block,
                                                        std::size_t size, bool in_run,
                                                        std::uint16_t* offsets,
                                                        std::uint64_t& unsure_letters) {
  const Block v = Block::load(block);
  const block_classes classes = classify(v);
  const block_masks masks = combine_classes(classes, Block::prefix_xor(classes.escape), size,
                                            in_run, class_by_character[block[size]]);
  unsure_letters = write_offsets(v, masks.contexts, offsets);
  return masks;
}

// Where the block stops before a letter whose marks have no text: at its first
// mark, or at `stop` when there is none before.
inline std::size_t stop_before_missing_text(const block_masks& masks, std::uint64_t letters,
                                            const std::uint16_t* offsets, std::size_t stop) {
  for (; letters != 0; letters &= letters - 1) {
    auto letter = static_cast<std::size_t>(std::countr_zero(letters));
    if (letter >= stop) break;
    if (!has_text(offsets[letter])) return letter - ones_before(masks.run_marks, letter);
  }
  return stop;
}

// Translates up to `size` bytes (at most 64) of `block`, reading the byte after
// them too. A shorter block is first copied into one of 64 bytes, so that the
// same code takes it.
template <class Block>
[[gnu::always_inline]] inline block_result translate_block(const unsigned char* block,
                                                           std::size_t size, bool in_run,
                                                           char* out) {
  alignas(32) std::uint16_t offsets[fast_path_block_size];
  std::uint64_t unsure_letters;
  block_masks masks;
  if (size == fast_path_block_size) {
    masks = prepare_block<Block>(block, size, in_run, offsets, unsure_letters);
  } else {
    unsigned char whole[fast_path_block_size + 1] = {};
    std::memcpy(whole, block, size + 1);
    masks = prepare_block<Block>(whole, size, in_run, offsets, unsure_letters);
  }
  const std::size_t end = masks.end;
  const std::size_t stop =
      unsure_letters == 0 ? masks.stop
                          : stop_before_missing_text(masks, unsure_letters, offsets, masks.stop);

  // Marks that end the block write nothing, so a block that stops nowhere
  // writes all its texts, as many as a whole block has most often.
  const std::size_t count = stop < end ? stop : size;
  char* written = count == fast_path_block_size ? write_block_texts(offsets, out)
                                                : write_texts(offsets, count, out);
  bool run_after = stop == 0 ? in_run : (masks.run_after >> (stop - 1) & 1) != 0;
  return {stop, written, run_after, stop < end};
}

// The fast path's contract (see translate_span), for one instruction set.
template <class Block>
fast_path_progress translate_blocks(std::span<const unsigned char> input, std::span<char> output,
                                    bool in_run) {
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
    block_result block = translate_block<Block>(in, size, in_run, out);
    in += block.read;
    out = block.out;
    in_run = block.in_run;
    if (block.stopped || block.read == 0) break;
  }
  return {static_cast<std::size_t>(in - input.data()),
          static_cast<std::size_t>(out - output.data()), in_run};
}

}  // namespace
}  // namespace grapho
