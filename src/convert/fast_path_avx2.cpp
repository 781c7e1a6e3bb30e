// The fast path compiled for AVX2 (see fast_path_kernel.hpp). Everything but
// the kernel, its loop and the layer is included before GRAPHO_BEGIN_AVX2, so
// that nothing else is compiled for AVX2.
#include <algorithm>
#include <array>
#include <bit>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <span>
#include <type_traits>

#include "convert/fast_path.hpp"
#include "convert/fast_path_classes.hpp"
#include "convert/fast_path_texts.hpp"
#include "convert/fast_path_vector_tables.hpp"
#include "simd/constant.hpp"
#include "simd/instruction_set.hpp"
#include "simd/vector_block.hpp"

GRAPHO_BEGIN_AVX2
#include "convert/fast_path_kernel.hpp"
#include "convert/fast_path_loop.hpp"
#include "simd/vector_avx2.hpp"

namespace grapho {

fast_path_progress translate_span_avx2(std::span<const unsigned char> input, std::span<char> output,
                                       bool in_run) {
  return translate_blocks<prepare_block<simd::avx2_block>>(input, output, in_run);
}

}  // namespace grapho
GRAPHO_END_AVX2
