// The count of line ends: whole blocks by the instruction set in use, the rest
// byte by byte.
#include "simd/line_ends.hpp"

#include <algorithm>

#include "simd/instruction_set.hpp"
#include "simd/line_ends_kernel.hpp"
#include "simd/vector_portable.hpp"

namespace grapho {

#if GRAPHO_SIMD_X86
std::uint64_t line_ends_in_blocks_avx2(const unsigned char* bytes, std::size_t blocks);
#endif

namespace {

std::uint64_t line_ends_in_blocks_here(const unsigned char* bytes, std::size_t blocks) {
#if GRAPHO_SIMD_X86
  if (active_instruction_set() == instruction_set::avx2)
    return line_ends_in_blocks_avx2(bytes, blocks);
#endif
  return line_ends_in_blocks<simd::portable_block>(bytes, blocks);
}

}  // namespace

line_count count_line_ends(std::span<const unsigned char> bytes) {
  constexpr std::size_t block_size = simd::portable_block::size;
  const std::size_t blocks = bytes.size() / block_size;
  line_count lines{line_ends_in_blocks_here(bytes.data(), blocks), 0};
  lines.line_ends += static_cast<std::uint64_t>(std::count(
      bytes.begin() + static_cast<std::ptrdiff_t>(blocks * block_size), bytes.end(), '\n'));
  if (lines.line_ends != 0) {
    auto last = std::find(bytes.rbegin(), bytes.rend(), '\n');
    lines.last_line_start = static_cast<std::size_t>(bytes.rend() - last);
  }
  return lines;
}

}  // namespace grapho
