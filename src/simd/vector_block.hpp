// What a vector layer provides: a block of 64 bytes and the few operations on
// it that the vector code (the fast path's kernel, the count of line ends) is
// written against, once for every layer. Each layer is one header
// (vector_avx2.hpp, vector_neon.hpp, vector_simd128.hpp), compiled in files of
// its own, one for each kernel; processors without one take plain scalar code
// instead, which emulates none of this.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>

#include "simd/constant.hpp"

namespace grapho::simd {

inline constexpr std::size_t block_size = 64;

namespace layer_check {
inline constexpr std::uint8_t table[16] = {};
}  // namespace layer_check

// Operations take and give blocks unless told otherwise. Where a mask is
// asked for, each of its bytes is 0xff or 0.
template <class Block>
concept vector_block = requires(const Block a, const unsigned char* bytes, std::uint64_t bits,
                                std::uint16_t* words) {
  requires Block::size == block_size;
  // The 64 bytes at `bytes`; a byte known when compiling, in every place.
  { Block::load(bytes) } -> std::same_as<Block>;
  { Block::splat(constant<1>) } -> std::same_as<Block>;
  // The mask with byte i set for bit i of `bits`.
  { Block::from_bits(bits) } -> std::same_as<Block>;
  // Each bit set to the parity of the bits up to and including it.
  { Block::prefix_xor(bits) } -> std::same_as<std::uint64_t>;
  // Bit i of the result for byte i of a mask.
  { to_bits(a) } -> std::same_as<std::uint64_t>;
  // The sum of all 64 bytes.
  { sum_bytes(a) } -> std::same_as<std::uint64_t>;

  // Bytewise: and, or, subtraction modulo 256, ~a & b, the mask of equal
  // bytes, the lesser byte (unsigned), and from a mask the byte of the second
  // block where it is set, of the third where it is not.
  { a& a } -> std::same_as<Block>;
  { a | a } -> std::same_as<Block>;
  { a - a } -> std::same_as<Block>;
  { andnot(a, a) } -> std::same_as<Block>;
  { equal(a, a) } -> std::same_as<Block>;
  { min_bytes(a, a) } -> std::same_as<Block>;
  { select(a, a, a) } -> std::same_as<Block>;
  // Each byte shifted by the count of bits, zeros shifted in.
  { shift_right<4>(a) } -> std::same_as<Block>;
  { shift_left<2>(a) } -> std::same_as<Block>;
  // Each byte moved the count of places on, the first ones 0.
  { bytes_before<1>(a) } -> std::same_as<Block>;
  // The byte of a table of 16 at each byte, which is below 16.
  { lookup<layer_check::table>(a) } -> std::same_as<Block>;
  // By the low five bits of each byte: the byte of the first table of 16 at
  // 0 to 15, of the second at 16 to 31.
  { lookup_by_five_bits<layer_check::table, layer_check::table>(a) } -> std::same_as<Block>;
  // 64 words of 16 bits, the first block's bytes their low bytes and the
  // second's their high ones, each word shifted left by the count.
  store_words<2>(a, a, words);
};

}  // namespace grapho::simd
