// The fast path in plain scalar code, for processors without a vector layer
// and builds without SIMD: each byte classified by one look-up, eight bytes
// to a 64-bit word, and the offsets of the texts written eight at a time
// where words allow it.
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "convert/fast_path.hpp"
#include "convert/fast_path_classes.hpp"
#include "convert/fast_path_loop.hpp"
#include "convert/fast_path_texts.hpp"
#include "simd/prefix_xor.hpp"

namespace grapho {
namespace {

// The classes of each byte value spread out, class bit k to bit 8k, and
// shifted by each place i that the byte may have in a group of eight: the
// classes of the eight bytes then add up with no carry into one byte for each
// class, bit i for byte i.
constexpr auto spread_classes_by_place = [] {
  std::array<std::array<std::uint64_t, 256>, 8> spread{};
  for (std::size_t place = 0; place < spread.size(); ++place)
    for (std::size_t c = 0; c < 256; ++c)
      for (int k = 0; k < 8; ++k)
        if (class_by_character[c] >> k & 1) spread[place][c] |= 1ull << (8 * k + place);
  return spread;
}();

// The classes of eight bytes, each from the table of its place.
[[gnu::always_inline]] inline std::uint64_t classify_eight(const unsigned char* eight) {
  std::uint64_t classes = 0;
  for (std::size_t i = 0; i < 8; ++i) classes |= spread_classes_by_place[i][eight[i]];
  return classes;
}

// Swaps the upper `shift` bits of each `2 * shift` in `low` with the lower
// ones of `high`, where `mask` marks those lower ones.
[[gnu::always_inline]] inline void swap_bits(std::uint64_t& low, std::uint64_t& high, int shift,
                                             std::uint64_t mask) {
  const std::uint64_t swapped = ((low >> shift) ^ high) & mask;
  high ^= swapped;
  low ^= swapped << shift;
}

// Transposes eight words of eight bytes, byte k of word g to byte g of word
// k, by swapping their halves, then quarters, then eighths.
[[gnu::always_inline]] inline void transpose_bytes(std::array<std::uint64_t, 8>& words) {
  for (std::size_t g = 0; g < 4; ++g) swap_bits(words[g], words[g + 4], 32, 0x00000000ffffffff);
  for (std::size_t g : {0, 1, 4, 5}) swap_bits(words[g], words[g + 2], 16, 0x0000ffff0000ffff);
  for (std::size_t g : {0, 2, 4, 6}) swap_bits(words[g], words[g + 1], 8, 0x00ff00ff00ff00ff);
}

// The classes of 64 bytes: eight bytes at a time, one byte for each class,
// then all transposed at once into one word for each class.
[[gnu::always_inline]] inline block_classes classify_block(const unsigned char* block) {
  std::array<std::uint64_t, 8> words;
  for (std::size_t group = 0; group < words.size(); ++group)
    words[group] = classify_eight(block + 8 * group);
  transpose_bytes(words);
  auto mask = [&](std::uint8_t cls) {
    return words[static_cast<std::size_t>(std::countr_zero(cls))];
  };
  return {mask(class_escape), mask(class_sigma),   mask(class_mark),
          mask(class_letter), mask(class_special), mask(class_bracket)};
}

// The run parts of eight offsets, in the 16-bit lanes of two 64-bit words,
// by the eight bytes' run bits.
constexpr auto run_offsets_by_eight_bits = [] {
  std::array<std::array<std::uint64_t, 2>, 256> words{};
  for (std::size_t bits = 0; bits < words.size(); ++bits)
    for (std::size_t lane = 0; lane < 8; ++lane)
      if (bits >> lane & 1)
        words[bits][lane / 4] |= std::uint64_t{run_slots_first * slot_step} << (16 * (lane % 4));
  return words;
}();

// The offset of each letter's row with no marks, and what each mark adds to
// it.
constexpr auto marked_letter_offset_by_character = [] {
  std::array<std::uint16_t, 256> offsets{};
  for (int c = 0; c < 256; ++c) offsets[static_cast<std::size_t>(c)] = marked_letter_offset(c, 0);
  return offsets;
}();
constexpr auto mark_offset_by_character = [] {
  std::array<std::uint16_t, 256> offsets{};
  for (std::size_t c = 0; c < 256; ++c)
    offsets[c] = static_cast<std::uint16_t>(mark_bit_by_character[c] * slot_step);
  return offsets;
}();

// The size of the text at `offset`, minus one: its top bit is set only when
// it has none.
inline std::uint64_t text_size_less_one(std::uint16_t offset) {
  return text_size(offset) - 1;
}

// The offsets of 64 bytes: each byte's own slot, then the run part, eight
// offsets at a time in the 16-bit lanes of two 64-bit words where words are
// little-endian; then the final sigmas, and the letters with the marks before
// them. Returns the letters with marks that may have no text.
[[gnu::always_inline]] inline std::uint64_t write_offsets(const unsigned char* block,
                                                          const block_masks& masks,
                                                          std::uint16_t* offsets) {
  const block_contexts& contexts = masks.contexts;
  for (std::size_t i = 0; i < fast_path_block_size; ++i)
    offsets[i] = static_cast<std::uint16_t>(block[i] * slot_step);
  if constexpr (std::endian::native == std::endian::little) {
    for (std::size_t i = 0; i < fast_path_block_size; i += 8) {
      std::uint64_t words[2];
      std::memcpy(words, offsets + i, sizeof words);
      const auto& parts = run_offsets_by_eight_bits[contexts.run >> i & 0xff];
      words[0] |= parts[0];
      words[1] |= parts[1];
      std::memcpy(offsets + i, words, sizeof words);
    }
  } else {
    for (std::size_t i = 0; i < fast_path_block_size; ++i)
      offsets[i] |=
          static_cast<std::uint16_t>((contexts.run >> i & 1) * run_slots_first * slot_step);
  }
  for (std::uint64_t sigmas = contexts.final_sigma; sigmas != 0; sigmas &= sigmas - 1)
    offsets[std::countr_zero(sigmas)] = final_sigma_slot * slot_step;

  // Most letters have one mark; those with two or three, as more stop the
  // block before them, take the further marks after. Every letter is unsure
  // when one has no text.
  std::uint64_t no_text = 0;
  for (std::uint64_t letters = contexts.marked_letter; letters != 0; letters &= letters - 1) {
    auto letter = static_cast<std::size_t>(std::countr_zero(letters));
    const auto offset =
        static_cast<std::uint16_t>(marked_letter_offset_by_character[block[letter]] |
                                   mark_offset_by_character[block[letter - 1]]);
    offsets[letter] = offset;
    no_text |= text_size_less_one(offset);
  }
  const std::uint64_t two_marks = contexts.marked_letter & masks.run_marks << 2;
  const std::uint64_t three_marks = two_marks & masks.run_marks << 3;
  for (std::uint64_t letters = two_marks; letters != 0; letters &= letters - 1) {
    auto letter = static_cast<std::size_t>(std::countr_zero(letters));
    const std::size_t first_mark = three_marks >> letter & 1 ? letter - 3 : letter - 2;
    const auto offset =
        static_cast<std::uint16_t>(offsets[letter] | mark_offset_by_character[block[letter - 2]] |
                                   mark_offset_by_character[block[first_mark]]);
    offsets[letter] = offset;
    no_text |= text_size_less_one(offset);
  }
  return no_text >> 63 != 0 ? contexts.marked_letter : 0;
}

// The preparation of a block for the loop of fast_path_loop.hpp.
[[gnu::always_inline]] inline block_masks prepare_block(const unsigned char* block,
                                                        std::size_t size, bool in_run,
                                                        std::uint16_t* offsets,
                                                        std::uint64_t& unsure_letters) {
  const block_classes classes = classify_block(block);
  const block_masks masks = combine_classes(classes, simd::prefix_xor(classes.escape), size, in_run,
                                            class_by_character[block[size]]);
  unsure_letters = write_offsets(block, masks, offsets);
  return masks;
}

}  // namespace

fast_path_progress translate_span_scalar(std::span<const unsigned char> input,
                                         std::span<char> output, bool in_run) {
  return translate_blocks<prepare_block>(input, output, in_run);
}

}  // namespace grapho
