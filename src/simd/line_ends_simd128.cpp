// The count of line ends compiled for WebAssembly SIMD128 (see line_ends_kernel.hpp).
#include "simd/line_ends_kernel.hpp"
#include "simd/vector_simd128.hpp"

namespace grapho {

std::uint64_t line_ends_in_blocks_simd128(const unsigned char* bytes, std::size_t blocks) {
  return line_ends_in_blocks<simd::simd128_block>(bytes, blocks);
}

}  // namespace grapho
