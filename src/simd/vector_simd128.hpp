// The WebAssembly SIMD128 vector layer, for the web build: a block of 64 bytes
// as four vectors of 16, with the operations of vector_block.hpp. Look-ups are
// swizzles, which give 0 for an index past the table.
#pragma once

#include <wasm_simd128.h>

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <type_traits>

#include "simd/constant.hpp"
#include "simd/prefix_xor.hpp"
#include "simd/vector_block.hpp"

namespace grapho::simd {

struct simd128_block {
  static constexpr std::size_t size = block_size;
  v128_t part[4];

  static simd128_block load(const unsigned char* from) {
    return {wasm_v128_load(from), wasm_v128_load(from + 16), wasm_v128_load(from + 32),
            wasm_v128_load(from + 48)};
  }
  template <std::uint8_t value>
  static simd128_block splat(std::integral_constant<std::uint8_t, value>) {
    const v128_t bytes = wasm_u8x16_splat(value);
    return {bytes, bytes, bytes, bytes};
  }
  static simd128_block from_bits(std::uint64_t bits);
  static std::uint64_t prefix_xor(std::uint64_t bits) { return simd::prefix_xor(bits); }
};

// Each part of the result from the same parts of the blocks, by `operation`.
template <class Operation>
simd128_block partwise(const simd128_block& a, const simd128_block& b, Operation operation) {
  return {operation(a.part[0], b.part[0]), operation(a.part[1], b.part[1]),
          operation(a.part[2], b.part[2]), operation(a.part[3], b.part[3])};
}
template <class Operation>
simd128_block partwise(const simd128_block& a, Operation operation) {
  return {operation(a.part[0]), operation(a.part[1]), operation(a.part[2]), operation(a.part[3])};
}

inline simd128_block operator&(const simd128_block& a, const simd128_block& b) {
  return partwise(a, b, [](v128_t x, v128_t y) { return wasm_v128_and(x, y); });
}
inline simd128_block operator|(const simd128_block& a, const simd128_block& b) {
  return partwise(a, b, [](v128_t x, v128_t y) { return wasm_v128_or(x, y); });
}
inline simd128_block operator-(const simd128_block& a, const simd128_block& b) {
  return partwise(a, b, [](v128_t x, v128_t y) { return wasm_i8x16_sub(x, y); });
}
inline simd128_block andnot(const simd128_block& a, const simd128_block& b) {
  return partwise(a, b, [](v128_t x, v128_t y) { return wasm_v128_andnot(y, x); });
}
inline simd128_block equal(const simd128_block& a, const simd128_block& b) {
  return partwise(a, b, [](v128_t x, v128_t y) { return wasm_i8x16_eq(x, y); });
}
inline simd128_block min_bytes(const simd128_block& a, const simd128_block& b) {
  return partwise(a, b, [](v128_t x, v128_t y) { return wasm_u8x16_min(x, y); });
}
inline simd128_block select(const simd128_block& mask, const simd128_block& if_set,
                            const simd128_block& if_clear) {
  return {wasm_v128_bitselect(if_set.part[0], if_clear.part[0], mask.part[0]),
          wasm_v128_bitselect(if_set.part[1], if_clear.part[1], mask.part[1]),
          wasm_v128_bitselect(if_set.part[2], if_clear.part[2], mask.part[2]),
          wasm_v128_bitselect(if_set.part[3], if_clear.part[3], mask.part[3])};
}
template <int count>
simd128_block shift_right(const simd128_block& a) {
  return partwise(a, [](v128_t x) { return wasm_u8x16_shr(x, count); });
}
template <int count>
simd128_block shift_left(const simd128_block& a) {
  return partwise(a, [](v128_t x) { return wasm_i8x16_shl(x, count); });
}
// Each part takes the bytes before it from the part before, the first from
// zeros: a shuffle of the two, byte j from byte 16 - count + j of both.
template <std::size_t count>
v128_t bytes_before(v128_t before, v128_t in) {
  constexpr int from = 16 - static_cast<int>(count);
  return wasm_i8x16_shuffle(before, in, from, from + 1, from + 2, from + 3, from + 4, from + 5,
                            from + 6, from + 7, from + 8, from + 9, from + 10, from + 11, from + 12,
                            from + 13, from + 14, from + 15);
}
template <std::size_t count>
simd128_block bytes_before(const simd128_block& a) {
  return {bytes_before<count>(wasm_u8x16_splat(0), a.part[0]),
          bytes_before<count>(a.part[0], a.part[1]), bytes_before<count>(a.part[1], a.part[2]),
          bytes_before<count>(a.part[2], a.part[3])};
}

template <const auto& table>
simd128_block lookup(const simd128_block& index) {
  const v128_t bytes = wasm_v128_load(std::data(table));
  return partwise(index, [bytes](v128_t x) { return wasm_i8x16_swizzle(bytes, x); });
}
// The first table takes 0 to 15 and gives 0 for the rest; the second takes
// the same less 16, which puts 0 to 15 past its end.
template <const auto& first, const auto& second>
simd128_block lookup_by_five_bits(const simd128_block& a) {
  const v128_t first_bytes = wasm_v128_load(std::data(first));
  const v128_t second_bytes = wasm_v128_load(std::data(second));
  return partwise(a, [first_bytes, second_bytes](v128_t x) {
    const v128_t index = wasm_v128_and(x, wasm_u8x16_splat(31));
    return wasm_v128_or(
        wasm_i8x16_swizzle(first_bytes, index),
        wasm_i8x16_swizzle(second_bytes, wasm_i8x16_sub(index, wasm_u8x16_splat(16))));
  });
}

inline std::uint64_t to_bits(const simd128_block& a) {
  return std::uint64_t{wasm_i8x16_bitmask(a.part[0])} |
         std::uint64_t{wasm_i8x16_bitmask(a.part[1])} << 16 |
         std::uint64_t{wasm_i8x16_bitmask(a.part[2])} << 32 |
         std::uint64_t{wasm_i8x16_bitmask(a.part[3])} << 48;
}
// Pairs of bytes added into words of 16 bits, whose four parts cannot exceed
// them, then pairs of those into words of 32.
inline std::uint64_t sum_bytes(const simd128_block& a) {
  const simd128_block pairs =
      partwise(a, [](v128_t x) { return wasm_u16x8_extadd_pairwise_u8x16(x); });
  const v128_t words = wasm_u32x4_extadd_pairwise_u16x8(wasm_i16x8_add(
      wasm_i16x8_add(pairs.part[0], pairs.part[1]), wasm_i16x8_add(pairs.part[2], pairs.part[3])));
  return std::uint64_t{wasm_u32x4_extract_lane(words, 0)} + wasm_u32x4_extract_lane(words, 1) +
         wasm_u32x4_extract_lane(words, 2) + wasm_u32x4_extract_lane(words, 3);
}
// Each byte takes the byte of `bits` that holds its bit, and keeps the bit of
// its place.
inline simd128_block simd128_block::from_bits(std::uint64_t bits) {
  const v128_t all = wasm_u64x2_splat(bits);
  const v128_t bit_of_place =
      wasm_u8x16_make(1, 2, 4, 8, 16, 32, 64, 128, 1, 2, 4, 8, 16, 32, 64, 128);
  v128_t byte_of_bit = wasm_u8x16_make(0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1);
  simd128_block block;
  for (auto& part : block.part) {
    part = wasm_i8x16_eq(wasm_v128_and(wasm_i8x16_swizzle(all, byte_of_bit), bit_of_place),
                         bit_of_place);
    byte_of_bit = wasm_i8x16_add(byte_of_bit, wasm_u8x16_splat(2));
  }
  return block;
}

template <int shift>
void store_words(const simd128_block& low, const simd128_block& high, std::uint16_t* words) {
  for (std::size_t p = 0; p < 4; ++p) {
    const v128_t first = wasm_i8x16_shuffle(low.part[p], high.part[p], 0, 16, 1, 17, 2, 18, 3, 19,
                                            4, 20, 5, 21, 6, 22, 7, 23);
    const v128_t second = wasm_i8x16_shuffle(low.part[p], high.part[p], 8, 24, 9, 25, 10, 26, 11,
                                             27, 12, 28, 13, 29, 14, 30, 15, 31);
    wasm_v128_store(words + 16 * p, wasm_i16x8_shl(first, shift));
    wasm_v128_store(words + 16 * p + 8, wasm_i16x8_shl(second, shift));
  }
}

static_assert(vector_block<simd128_block>);

}  // namespace grapho::simd
