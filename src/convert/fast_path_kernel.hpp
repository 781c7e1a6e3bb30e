// The fast path's vector code, written once against a vector layer (a block
// of 64 bytes with the operations of src/simd/vector_block.hpp) and compiled
// once for each instruction set that has one, in a file of its own
// (fast_path_avx2.cpp, fast_path_neon.cpp, fast_path_simd128.cpp): hence the
// unnamed namespace, which keeps each compilation to its own file.
//
// It prepares a block for the loop of fast_path_loop.hpp: the vector code
// marks in one bit per byte the bytes of each class, bit operations on these
// masks (combine_classes) find the runs, the final sigmas and the letters with
// marks, and the vector code then writes the offset of each byte's text.
//
// Each step is always inlined into the loop over blocks: GCC would otherwise
// leave some as calls that pass the block through memory (bench/README.md
// measures it).
#pragma once

#include <cstddef>
#include <cstdint>

#include "convert/fast_path.hpp"
#include "convert/fast_path_classes.hpp"
#include "convert/fast_path_vector_tables.hpp"
#include "simd/constant.hpp"
#include "simd/vector_block.hpp"

namespace grapho {
namespace {

// The groups of each byte of `v`: the groups of its low nibble and of its high
// nibble, looked up in the two tables, and kept where both agree.
template <simd::vector_block Block>
[[gnu::always_inline]] inline Block byte_groups(const Block& v) {
  return lookup<low_nibble_groups>(v & Block::splat(simd::constant<0x0f>)) &
         lookup<high_nibble_groups>(shift_right<4>(v));
}

// The bits of the bytes in any of the groups of `set`.
template <std::uint8_t set, simd::vector_block Block>
[[gnu::always_inline]] inline std::uint64_t in_groups(const Block& groups) {
  return ~to_bits(
      equal(groups & Block::splat(simd::constant<set>), Block::splat(simd::constant<0>)));
}

template <simd::vector_block Block>
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
template <simd::vector_block Block>
[[gnu::always_inline]] inline std::uint64_t write_offsets(const Block& v,
                                                          const block_contexts& contexts,
                                                          std::uint16_t* offsets) {
  const Block zero = Block::splat(simd::constant<0>);
  // The bit of each mark, 0 for other bytes.
  const Block not_mark = equal(byte_groups(v) & Block::splat(simd::constant<mark_groups>), zero);
  const Block mark_hashes = (v - shift_right<3>(v)) & Block::splat(simd::constant<15>);
  const Block marks = andnot(not_mark, lookup<mark_bit_by_hash>(mark_hashes));
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

  // The capital's bit is in no set of sure marks: every capital is unsure.
  const Block sure_marks = lookup<marks_sure_by_row_byte>(row_high_byte);
  const Block low_marks = low & Block::splat(simd::constant<15>);
  const Block unsure_marks =
      andnot(sure_marks, low) | (lookup<marks_never_beside>(low_marks) & low);
  return contexts.marked_letter & ~to_bits(equal(unsure_marks, zero));
}

// The preparation of a block for the loop of fast_path_loop.hpp.
template <simd::vector_block Block>
[[gnu::always_inline]] inline block_masks prepare_block(const unsigned char* block,
                                                        std::size_t size, bool in_run,
                                                        std::uint16_t* offsets,
                                                        std::uint64_t& unsure_letters) {
  static_assert(Block::size == fast_path_block_size);
  const Block v = Block::load(block);
  const block_classes classes = classify(v);
  const block_masks masks = combine_classes(classes, Block::prefix_xor(classes.escape), size,
                                            in_run, class_by_character[block[size]]);
  unsure_letters = write_offsets(v, masks.contexts, offsets);
  return masks;
}

}  // namespace
}  // namespace grapho
