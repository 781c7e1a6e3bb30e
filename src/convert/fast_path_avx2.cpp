// The fast path compiled for AVX2 (see fast_path_kernel.hpp).
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <type_traits>

#include "convert/fast_path.hpp"
#include "convert/fast_path_blocks.hpp"
#include "simd/constant.hpp"
#include "simd/instruction_set.hpp"

GRAPHO_BEGIN_AVX2
#include "convert/fast_path_kernel.hpp"
#include "simd/vector_avx2.hpp"

namespace grapho {

fast_path_progress translate_span_avx2(std::span<const unsigned char> input, std::span<char> output,
                                       bool in_run) {
  return translate_blocks<simd::avx2_block>(input, output, in_run);
}

}  // namespace grapho
GRAPHO_END_AVX2
