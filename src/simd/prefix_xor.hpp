// The parity of the bits up to each bit, in plain integer operations, for the
// layers and the scalar code that have no carry-less multiplication.
#pragma once

#include <cstdint>

namespace grapho::simd {

// Sets each bit to the parity of the bits up to and including it.
constexpr std::uint64_t prefix_xor(std::uint64_t bits) {
  for (int shift = 1; shift < 64; shift *= 2) bits ^= bits << shift;
  return bits;
}

}  // namespace grapho::simd
