// The fast path compiled for NEON (see fast_path_kernel.hpp).
#include "convert/fast_path_kernel.hpp"
#include "convert/fast_path_loop.hpp"
#include "simd/vector_neon.hpp"

namespace grapho {

fast_path_progress translate_span_neon(std::span<const unsigned char> input, std::span<char> output,
                                       bool in_run) {
  return translate_blocks<prepare_block<simd::neon_block>>(input, output, in_run);
}

}  // namespace grapho
