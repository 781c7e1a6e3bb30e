// The NEON vector layer, for AArch64, where every processor has it: a block of
// 64 bytes as four vectors of 16, with the operations of vector_block.hpp.
// Look-ups are TBL instructions, which give 0 for an index past the table.
#pragma once

#include <arm_neon.h>

#include <bit>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <type_traits>

#include "simd/constant.hpp"
#include "simd/prefix_xor.hpp"
#include "simd/vector_block.hpp"

namespace grapho::simd {

// Lanes are numbered from the lowest address, as bit i of a mask is byte i.
static_assert(std::endian::native == std::endian::little);

struct neon_block {
  static constexpr std::size_t size = block_size;
  uint8x16_t part[4];

  static neon_block load(const unsigned char* from) {
    return {vld1q_u8(from), vld1q_u8(from + 16), vld1q_u8(from + 32), vld1q_u8(from + 48)};
  }
  template <std::uint8_t value>
  static neon_block splat(std::integral_constant<std::uint8_t, value>) {
    const uint8x16_t bytes = vdupq_n_u8(value);
    return {bytes, bytes, bytes, bytes};
  }
  static neon_block from_bits(std::uint64_t bits);
  static std::uint64_t prefix_xor(std::uint64_t bits) { return simd::prefix_xor(bits); }
};

// Each part of the result from the same parts of the blocks, by `operation`.
template <class Operation>
neon_block partwise(const neon_block& a, const neon_block& b, Operation operation) {
  return {operation(a.part[0], b.part[0]), operation(a.part[1], b.part[1]),
          operation(a.part[2], b.part[2]), operation(a.part[3], b.part[3])};
}
template <class Operation>
neon_block partwise(const neon_block& a, Operation operation) {
  return {operation(a.part[0]), operation(a.part[1]), operation(a.part[2]), operation(a.part[3])};
}

inline neon_block operator&(const neon_block& a, const neon_block& b) {
  return partwise(a, b, [](uint8x16_t x, uint8x16_t y) { return vandq_u8(x, y); });
}
inline neon_block operator|(const neon_block& a, const neon_block& b) {
  return partwise(a, b, [](uint8x16_t x, uint8x16_t y) { return vorrq_u8(x, y); });
}
inline neon_block operator-(const neon_block& a, const neon_block& b) {
  return partwise(a, b, [](uint8x16_t x, uint8x16_t y) { return vsubq_u8(x, y); });
}
inline neon_block andnot(const neon_block& a, const neon_block& b) {
  return partwise(a, b, [](uint8x16_t x, uint8x16_t y) { return vbicq_u8(y, x); });
}
inline neon_block equal(const neon_block& a, const neon_block& b) {
  return partwise(a, b, [](uint8x16_t x, uint8x16_t y) { return vceqq_u8(x, y); });
}
inline neon_block min_bytes(const neon_block& a, const neon_block& b) {
  return partwise(a, b, [](uint8x16_t x, uint8x16_t y) { return vminq_u8(x, y); });
}
inline neon_block select(const neon_block& mask, const neon_block& if_set,
                         const neon_block& if_clear) {
  return {vbslq_u8(mask.part[0], if_set.part[0], if_clear.part[0]),
          vbslq_u8(mask.part[1], if_set.part[1], if_clear.part[1]),
          vbslq_u8(mask.part[2], if_set.part[2], if_clear.part[2]),
          vbslq_u8(mask.part[3], if_set.part[3], if_clear.part[3])};
}
template <int count>
neon_block shift_right(const neon_block& a) {
  return partwise(a, [](uint8x16_t x) { return vshrq_n_u8(x, count); });
}
template <int count>
neon_block shift_left(const neon_block& a) {
  return partwise(a, [](uint8x16_t x) { return vshlq_n_u8(x, count); });
}
// Each part takes the bytes before it from the part before, the first from
// zeros.
template <std::size_t count>
neon_block bytes_before(const neon_block& a) {
  constexpr int from = 16 - static_cast<int>(count);
  return {vextq_u8(vdupq_n_u8(0), a.part[0], from), vextq_u8(a.part[0], a.part[1], from),
          vextq_u8(a.part[1], a.part[2], from), vextq_u8(a.part[2], a.part[3], from)};
}

template <const auto& table>
neon_block lookup(const neon_block& index) {
  const uint8x16_t bytes = vld1q_u8(std::data(table));
  return partwise(index, [bytes](uint8x16_t x) { return vqtbl1q_u8(bytes, x); });
}
// One look-up in a table of 32 bytes.
template <const auto& first, const auto& second>
neon_block lookup_by_five_bits(const neon_block& a) {
  const uint8x16x2_t bytes = {{vld1q_u8(std::data(first)), vld1q_u8(std::data(second))}};
  return partwise(a,
                  [bytes](uint8x16_t x) { return vqtbl2q_u8(bytes, vandq_u8(x, vdupq_n_u8(31))); });
}

// The bit of each byte's place in its group of eight.
inline constexpr std::uint8_t bit_of_place[16] = {1, 2, 4, 8, 16, 32, 64, 128,
                                                  1, 2, 4, 8, 16, 32, 64, 128};

// Each byte of the mask keeps the bit of its place; pairwise additions then
// add up each group of eight into one byte.
inline std::uint64_t to_bits(const neon_block& a) {
  const uint8x16_t places = vld1q_u8(bit_of_place);
  const neon_block bits = partwise(a, [places](uint8x16_t x) { return vandq_u8(x, places); });
  const uint8x16_t halves =
      vpaddq_u8(vpaddq_u8(bits.part[0], bits.part[1]), vpaddq_u8(bits.part[2], bits.part[3]));
  return vgetq_lane_u64(vreinterpretq_u64_u8(vpaddq_u8(halves, halves)), 0);
}
inline std::uint64_t sum_bytes(const neon_block& a) {
  return std::uint64_t{vaddlvq_u8(a.part[0])} + vaddlvq_u8(a.part[1]) + vaddlvq_u8(a.part[2]) +
         vaddlvq_u8(a.part[3]);
}
// Each byte takes the byte of `bits` that holds its bit, and keeps the bit of
// its place.
inline neon_block neon_block::from_bits(std::uint64_t bits) {
  static constexpr std::uint8_t first_bytes[16] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1};
  const uint8x16_t all = vcombine_u8(vcreate_u8(bits), vcreate_u8(bits));
  const uint8x16_t places = vld1q_u8(bit_of_place);
  uint8x16_t byte_of_bit = vld1q_u8(first_bytes);
  neon_block block;
  for (auto& part : block.part) {
    part = vtstq_u8(vqtbl1q_u8(all, byte_of_bit), places);
    byte_of_bit = vaddq_u8(byte_of_bit, vdupq_n_u8(2));
  }
  return block;
}

template <int shift>
void store_words(const neon_block& low, const neon_block& high, std::uint16_t* words) {
  for (std::size_t p = 0; p < 4; ++p) {
    const uint8x16_t first = vzip1q_u8(low.part[p], high.part[p]);
    const uint8x16_t second = vzip2q_u8(low.part[p], high.part[p]);
    vst1q_u16(words + 16 * p, vshlq_n_u16(vreinterpretq_u16_u8(first), shift));
    vst1q_u16(words + 16 * p + 8, vshlq_n_u16(vreinterpretq_u16_u8(second), shift));
  }
}

static_assert(vector_block<neon_block>);

}  // namespace grapho::simd
