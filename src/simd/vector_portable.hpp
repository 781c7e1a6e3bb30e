// The portable vector layer: a block of 64 bytes in plain memory, each
// operation a loop over its bytes (which compilers make into the processor's
// vector instructions where they can) or over its eight words of 64 bits. It
// needs no SIMD and gives the same results on every processor. The AVX2 layer
// (vector_avx2.hpp) has the same operations; the code written against them is
// compiled once for each.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "simd/constant.hpp"

namespace grapho::simd {

// A byte repeated over a word.
constexpr std::uint64_t repeated_in_word(std::uint8_t byte) {
  return std::uint64_t{0x0101010101010101} * byte;
}
inline constexpr std::uint64_t top_bits = repeated_in_word(0x80);

// The bytes of a word in the other order (std::byteswap is C++23's).
constexpr std::uint64_t byteswap(std::uint64_t word) {
  std::uint64_t swapped = 0;
  for (int byte = 0; byte < 8; ++byte) swapped |= (word >> (8 * byte) & 0xff) << (56 - 8 * byte);
  return swapped;
}
// A word as if loaded on a little-endian processor, byte i of memory as byte
// i of the number; and back.
constexpr std::uint64_t little_endian(std::uint64_t word) {
  return std::endian::native == std::endian::big ? byteswap(word) : word;
}

// Each byte 0xff for its bit of `bits`, 0 for the others: byte i for bit i.
inline constexpr auto bytes_of_bits = [] {
  std::array<std::uint64_t, 256> words{};
  for (std::size_t bits = 0; bits < words.size(); ++bits)
    for (int bit = 0; bit < 8; ++bit)
      if (bits >> bit & 1) words[bits] |= std::uint64_t{0xff} << (8 * bit);
  return words;
}();

struct portable_block {
  static constexpr std::size_t size = 64;
  // A look-up is a load for each byte.
  static constexpr bool lookups_are_cheap = false;
  std::array<std::uint8_t, size> bytes;

  static portable_block load(const unsigned char* from) {
    portable_block block;
    std::memcpy(block.bytes.data(), from, size);
    return block;
  }
  template <std::uint8_t value>
  static portable_block splat(std::integral_constant<std::uint8_t, value>) {
    portable_block block;
    block.bytes.fill(value);
    return block;
  }
  // 0xff in byte i for bit i, 0 elsewhere: each word from a table by its
  // eight bits (3.6 instructions per byte fewer on real text than spreading
  // them by a multiplication).
  static portable_block from_bits(std::uint64_t bits) {
    portable_block block;
    for (std::size_t w = 0; w < size / 8; ++w)
      block.set_word(w, bytes_of_bits[bits >> (8 * w) & 0xff]);
    return block;
  }
  // Sets each bit to the parity of the bits up to and including it.
  static std::uint64_t prefix_xor(std::uint64_t bits) {
    for (int shift = 1; shift < 64; shift *= 2) bits ^= bits << shift;
    return bits;
  }

  // Bytes 8w to 8w + 7 as a word, byte 8w + i as its byte i.
  std::uint64_t word(std::size_t w) const {
    std::uint64_t eight;
    std::memcpy(&eight, bytes.data() + 8 * w, sizeof eight);
    return little_endian(eight);
  }
  void set_word(std::size_t w, std::uint64_t eight) {
    eight = little_endian(eight);
    std::memcpy(bytes.data() + 8 * w, &eight, sizeof eight);
  }
};

// Each byte of the result from the bytes of `a` and `b` in the same place.
template <class Operation>
portable_block bytewise(const portable_block& a, const portable_block& b, Operation operation) {
  portable_block result;
  for (std::size_t i = 0; i < portable_block::size; ++i)
    result.bytes[i] = static_cast<std::uint8_t>(operation(a.bytes[i], b.bytes[i]));
  return result;
}

inline portable_block operator&(const portable_block& a, const portable_block& b) {
  return bytewise(a, b, [](unsigned x, unsigned y) { return x & y; });
}
inline portable_block operator|(const portable_block& a, const portable_block& b) {
  return bytewise(a, b, [](unsigned x, unsigned y) { return x | y; });
}
inline portable_block operator+(const portable_block& a, const portable_block& b) {
  return bytewise(a, b, [](unsigned x, unsigned y) { return x + y; });
}
inline portable_block operator-(const portable_block& a, const portable_block& b) {
  return bytewise(a, b, [](unsigned x, unsigned y) { return x - y; });
}
// The bytes of `b` where `a` has no bits.
inline portable_block andnot(const portable_block& a, const portable_block& b) {
  return bytewise(a, b, [](unsigned x, unsigned y) { return ~x & y; });
}
// 0xff where the bytes are equal, 0 elsewhere.
inline portable_block equal(const portable_block& a, const portable_block& b) {
  return bytewise(a, b, [](unsigned x, unsigned y) { return x == y ? 0xffu : 0u; });
}
inline portable_block min_bytes(const portable_block& a, const portable_block& b) {
  return bytewise(a, b, [](unsigned x, unsigned y) { return x < y ? x : y; });
}
// The byte of `if_set` where `mask` has its top bit, of `if_clear` elsewhere.
inline portable_block select(const portable_block& mask, const portable_block& if_set,
                             const portable_block& if_clear) {
  portable_block result;
  for (std::size_t i = 0; i < portable_block::size; ++i) {
    const auto taken = static_cast<std::uint8_t>(-(mask.bytes[i] >> 7));
    result.bytes[i] =
        static_cast<std::uint8_t>((if_set.bytes[i] & taken) | (if_clear.bytes[i] & ~taken));
  }
  return result;
}

template <int count>
portable_block shift_right(const portable_block& a) {
  return bytewise(a, a, [](unsigned x, unsigned) { return x >> count; });
}
template <int count>
portable_block shift_left(const portable_block& a) {
  return bytewise(a, a, [](unsigned x, unsigned) { return x << count; });
}
// Each byte moved `count` places on, the first ones 0.
template <std::size_t count>
portable_block bytes_before(const portable_block& a) {
  portable_block result{};
  std::memcpy(result.bytes.data() + count, a.bytes.data(), portable_block::size - count);
  return result;
}

// Each byte through a table of 256 bytes.
inline portable_block map_bytes(const std::array<std::uint8_t, 256>& table,
                                const portable_block& a) {
  portable_block result;
  for (std::size_t i = 0; i < portable_block::size; ++i) result.bytes[i] = table[a.bytes[i]];
  return result;
}
template <class Function>
constexpr std::array<std::uint8_t, 256> table_of(Function function) {
  std::array<std::uint8_t, 256> table{};
  for (unsigned c = 0; c < 256; ++c) table[c] = static_cast<std::uint8_t>(function(c));
  return table;
}

// The look-ups, each by tables of 16 bytes as a SIMD shuffle takes them, made
// here into one table of 256 bytes when compiling.
//
// The byte of `table` at each low nibble of `index`, or 0 where its top bit is set.
template <const auto& table>
portable_block lookup(const portable_block& index) {
  static constexpr auto bytes = table_of([](unsigned c) { return c & 0x80 ? 0 : table[c & 15]; });
  return map_bytes(bytes, index);
}
// The bytes of `low` and `high` at each byte's low and high nibble, and-ed.
template <const auto& low, const auto& high>
portable_block lookup_by_nibbles(const portable_block& a) {
  static constexpr auto bytes = table_of([](unsigned c) { return low[c & 15] & high[c >> 4]; });
  return map_bytes(bytes, a);
}
// The byte of `first` or, where bit 4 is set, of `second`, at each low nibble.
template <const auto& first, const auto& second>
portable_block lookup_by_five_bits(const portable_block& a) {
  static constexpr auto bytes =
      table_of([](unsigned c) { return c & 16 ? second[c & 15] : first[c & 15]; });
  return map_bytes(bytes, a);
}

// Bit i for the top bit of byte i: the multiplication gathers the eight top
// bits of a word into its top byte.
inline std::uint64_t to_bits(const portable_block& a) {
  std::uint64_t bits = 0;
  for (std::size_t w = 0; w < portable_block::size / 8; ++w)
    bits |= ((a.word(w) & top_bits) * 0x0002040810204081 >> 56) << (8 * w);
  return bits;
}

// The sum of the bytes.
inline std::uint64_t sum_bytes(const portable_block& a) {
  std::uint64_t sum = 0;
  for (std::uint8_t byte : a.bytes) sum += byte;
  return sum;
}

// Stores 64 words of 16 bits, `low` their low bytes and `high` their high
// ones, each shifted left by `shift`.
template <int shift>
void store_words(const portable_block& low, const portable_block& high, std::uint16_t* words) {
  for (std::size_t i = 0; i < portable_block::size; ++i)
    words[i] = static_cast<std::uint16_t>((low.bytes[i] | high.bytes[i] << 8) << shift);
}

}  // namespace grapho::simd
