// The fast path compiled for WebAssembly SIMD128 (see fast_path_kernel.hpp).
#include "convert/fast_path_kernel.hpp"
#include "convert/fast_path_loop.hpp"
#include "simd/vector_simd128.hpp"

namespace grapho {

fast_path_progress translate_span_simd128(std::span<const unsigned char> input,
                                          std::span<char> output, bool in_run) {
  return translate_blocks<prepare_block<simd::simd128_block>>(input, output, in_run);
}

}  // namespace grapho
