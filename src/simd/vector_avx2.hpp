// The AVX2 vector layer: a block of 64 bytes as two vectors of 32, with the
// operations of vector_block.hpp, each one or a few instructions. Included
// only between GRAPHO_BEGIN_AVX2 and GRAPHO_END_AVX2, in files of their own,
// after every other header they need, so that nothing else is compiled for
// AVX2.
#pragma once

#include <immintrin.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <type_traits>

#include "simd/constant.hpp"
#include "simd/vector_block.hpp"

namespace grapho::simd {

// The constants of the vector code: each byte value repeated over a vector, in
// one table whose address is hidden from the compiler. The loop over blocks
// has too few vector registers to keep its constants in, so the compiler would
// make them anew in every block, three instructions each; read from one base
// it cannot see into, most become an operand (bench/README.md measures it).
template <class T>
const T* in_memory(const T* constant) {
  asm("" : "+r"(constant));
  return constant;
}

struct alignas(32) repeated_byte {
  std::uint8_t bytes[32];
};
inline constexpr auto repeated_bytes = [] {
  std::array<repeated_byte, 256> table{};
  for (std::size_t value = 0; value < table.size(); ++value)
    for (auto& byte : table[value].bytes) byte = static_cast<std::uint8_t>(value);
  return table;
}();

template <std::uint8_t value>
__m256i repeated_vector() {
  if constexpr (value == 0) {
    return _mm256_setzero_si256();
  } else {
    return _mm256_load_si256(
        reinterpret_cast<const __m256i*>(in_memory(repeated_bytes.data())[value].bytes));
  }
}

struct avx2_block {
  static constexpr std::size_t size = block_size;
  __m256i half[2];

  static avx2_block load(const unsigned char* from) {
    return {_mm256_loadu_si256(reinterpret_cast<const __m256i*>(from)),
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + 32))};
  }
  template <std::uint8_t value>
  static avx2_block splat(std::integral_constant<std::uint8_t, value>) {
    const __m256i bytes = repeated_vector<value>();
    return {bytes, bytes};
  }
  static avx2_block from_bits(std::uint64_t bits);
  // One carry-less multiplication by all ones.
  static std::uint64_t prefix_xor(std::uint64_t bits) {
    return static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_clmulepi64_si128(
        _mm_cvtsi64_si128(static_cast<long long>(bits)), _mm_set1_epi8(-1), 0)));
  }
};

// Each half of the result from the same halves of `a` and `b`, by the
// intrinsic named.
#define GRAPHO_HALFWISE(intrinsic, a, b)                                     \
  avx2_block {                                                               \
    intrinsic((a).half[0], (b).half[0]), intrinsic((a).half[1], (b).half[1]) \
  }

inline avx2_block operator&(const avx2_block& a, const avx2_block& b) {
  return GRAPHO_HALFWISE(_mm256_and_si256, a, b);
}
inline avx2_block operator|(const avx2_block& a, const avx2_block& b) {
  return GRAPHO_HALFWISE(_mm256_or_si256, a, b);
}
inline avx2_block operator-(const avx2_block& a, const avx2_block& b) {
  return GRAPHO_HALFWISE(_mm256_sub_epi8, a, b);
}
inline avx2_block andnot(const avx2_block& a, const avx2_block& b) {
  return GRAPHO_HALFWISE(_mm256_andnot_si256, a, b);
}
inline avx2_block equal(const avx2_block& a, const avx2_block& b) {
  return GRAPHO_HALFWISE(_mm256_cmpeq_epi8, a, b);
}
inline avx2_block min_bytes(const avx2_block& a, const avx2_block& b) {
  return GRAPHO_HALFWISE(_mm256_min_epu8, a, b);
}
inline avx2_block select(const avx2_block& mask, const avx2_block& if_set,
                         const avx2_block& if_clear) {
  return {_mm256_blendv_epi8(if_clear.half[0], if_set.half[0], mask.half[0]),
          _mm256_blendv_epi8(if_clear.half[1], if_set.half[1], mask.half[1])};
}
// A table of 16 bytes in both 128-bit lanes, as a shuffle looks up each lane
// in its own.
inline __m256i table_twice(const std::uint8_t* sixteen) {
  return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(sixteen)));
}
inline avx2_block shuffle(__m256i table, const avx2_block& index) {
  return {_mm256_shuffle_epi8(table, index.half[0]), _mm256_shuffle_epi8(table, index.half[1])};
}

template <const auto& table>
avx2_block lookup(const avx2_block& index) {
  return shuffle(table_twice(std::data(table)), index);
}
template <int count>
avx2_block shift_right(const avx2_block& a) {
  const __m256i kept = repeated_vector<(0xff >> count)>();
  return {_mm256_and_si256(_mm256_srli_epi16(a.half[0], count), kept),
          _mm256_and_si256(_mm256_srli_epi16(a.half[1], count), kept)};
}
template <int count>
avx2_block shift_left(const avx2_block& a) {
  const __m256i kept = repeated_vector<(0xff << count & 0xff)>();
  return {_mm256_and_si256(_mm256_slli_epi16(a.half[0], count), kept),
          _mm256_and_si256(_mm256_slli_epi16(a.half[1], count), kept)};
}
// Bit 4 is shifted to the top of its byte, which alone picks the table in a
// blend.
template <const auto& first, const auto& second>
avx2_block lookup_by_five_bits(const avx2_block& a) {
  const avx2_block low_nibbles = a & avx2_block::splat(constant<0x0f>);
  const avx2_block from_first = shuffle(table_twice(std::data(first)), low_nibbles);
  const avx2_block from_second = shuffle(table_twice(std::data(second)), low_nibbles);
  return {
      _mm256_blendv_epi8(from_first.half[0], from_second.half[0], _mm256_slli_epi16(a.half[0], 3)),
      _mm256_blendv_epi8(from_first.half[1], from_second.half[1], _mm256_slli_epi16(a.half[1], 3))};
}

// Byte shifts work within 128-bit lanes: each lane takes the bytes before it
// from the lane before, the first from zeros.
template <std::size_t count>
avx2_block bytes_before(const avx2_block& a) {
  const __m256i first_before = _mm256_permute2x128_si256(a.half[0], a.half[0], 0x08);
  const __m256i second_before = _mm256_permute2x128_si256(a.half[0], a.half[1], 0x21);
  return {_mm256_alignr_epi8(a.half[0], first_before, 16 - count),
          _mm256_alignr_epi8(a.half[1], second_before, 16 - count)};
}

inline std::uint64_t to_bits(const avx2_block& a) {
  return static_cast<std::uint32_t>(_mm256_movemask_epi8(a.half[0])) |
         std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(a.half[1]))} << 32;
}
// The sums of eight bytes each, in four words of each half, then all added.
inline std::uint64_t sum_bytes(const avx2_block& a) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i sums =
      _mm256_add_epi64(_mm256_sad_epu8(a.half[0], zero), _mm256_sad_epu8(a.half[1], zero));
  const __m128i two =
      _mm_add_epi64(_mm256_castsi256_si128(sums), _mm256_extracti128_si256(sums, 1));
  return static_cast<std::uint64_t>(_mm_cvtsi128_si64(two)) +
         static_cast<std::uint64_t>(_mm_extract_epi64(two, 1));
}
// The whole mask is broadcast; each byte takes the byte of the mask that
// holds its bit, and keeps the bit of its own place.
inline __m256i spread_bits(__m256i broadcast, __m256i byte_of_bit) {
  const __m256i bit_of_place = _mm256_set1_epi64x(0x8040201008040201);
  __m256i bits = _mm256_and_si256(_mm256_shuffle_epi8(broadcast, byte_of_bit), bit_of_place);
  return _mm256_cmpeq_epi8(bits, bit_of_place);
}
inline avx2_block avx2_block::from_bits(std::uint64_t bits) {
  const __m256i broadcast = _mm256_set1_epi64x(static_cast<long long>(bits));
  const __m256i first_bytes = _mm256_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2,
                                               2, 2, 2, 2, 2, 2, 3, 3, 3, 3, 3, 3, 3, 3);
  return {spread_bits(broadcast, first_bytes),
          spread_bits(broadcast, _mm256_add_epi8(first_bytes, _mm256_set1_epi8(4)))};
}

// Interleaving works within 128-bit lanes: bytes 0-7 and 8-15 of each vector
// go to the low halves of its lanes, 16-23 and 24-31 to the high halves first.
template <int shift>
void store_words(const avx2_block& low, const avx2_block& high, std::uint16_t* words) {
  for (int h = 0; h < 2; ++h) {
    __m256i l = _mm256_permute4x64_epi64(low.half[h], 0xd8);
    __m256i u = _mm256_permute4x64_epi64(high.half[h], 0xd8);
    auto* out = reinterpret_cast<__m256i*>(words + 32 * h);
    _mm256_storeu_si256(out, _mm256_slli_epi16(_mm256_unpacklo_epi8(l, u), shift));
    _mm256_storeu_si256(out + 1, _mm256_slli_epi16(_mm256_unpackhi_epi8(l, u), shift));
  }
}

#undef GRAPHO_HALFWISE

static_assert(vector_block<avx2_block>);

}  // namespace grapho::simd
