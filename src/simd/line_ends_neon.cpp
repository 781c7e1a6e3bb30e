// The count of line ends compiled for NEON (see line_ends_kernel.hpp).
#include "simd/line_ends_kernel.hpp"
#include "simd/vector_neon.hpp"

namespace grapho {

std::uint64_t line_ends_in_blocks_neon(const unsigned char* bytes, std::size_t blocks) {
  return line_ends_in_blocks<simd::neon_block>(bytes, blocks);
}

}  // namespace grapho
