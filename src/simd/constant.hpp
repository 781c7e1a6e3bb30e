// A byte value known when compiling, which a vector layer repeats over a block
// (splat()) as it finds best.
#pragma once

#include <cstdint>
#include <type_traits>

namespace grapho::simd {

template <std::uint8_t value>
inline constexpr std::integral_constant<std::uint8_t, value> constant{};

}  // namespace grapho::simd
