// The count of line ends compiled for AVX2 (see line_ends_kernel.hpp).
#include <algorithm>
#include <array>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <type_traits>

#include "simd/constant.hpp"
#include "simd/instruction_set.hpp"
#include "simd/vector_block.hpp"

GRAPHO_BEGIN_AVX2
#include "simd/line_ends_kernel.hpp"
#include "simd/vector_avx2.hpp"

namespace grapho {

std::uint64_t line_ends_in_blocks_avx2(const unsigned char* bytes, std::size_t blocks) {
  return line_ends_in_blocks<simd::avx2_block>(bytes, blocks);
}

}  // namespace grapho
GRAPHO_END_AVX2
