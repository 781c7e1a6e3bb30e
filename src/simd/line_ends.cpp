// The count of line ends: whole blocks by the vector code of the instruction
// set in use, or whole words by the scalar code; the rest byte by byte.
#include "simd/line_ends.hpp"

#include <algorithm>
#include <array>
#include <cstring>

#include "simd/instruction_set.hpp"
#include "simd/vector_block.hpp"

namespace grapho {

// The vector code of each set compiled in (line_ends_*.cpp).
std::uint64_t line_ends_in_blocks_avx2(const unsigned char* bytes, std::size_t blocks);
std::uint64_t line_ends_in_blocks_neon(const unsigned char* bytes, std::size_t blocks);
std::uint64_t line_ends_in_blocks_simd128(const unsigned char* bytes, std::size_t blocks);

namespace {

// Counts the line ends of the scalar code in rounds of 16 bytes: each place
// of a round counts its own, for up to 255 rounds, then the counts are added
// up. A plain loop, which compilers keep in vector registers where the
// processor has them.
std::uint64_t line_ends_in_rounds(const unsigned char* bytes, std::size_t rounds) {
  constexpr std::size_t width = 16;
  constexpr std::size_t most_rounds = 255;
  std::uint64_t count = 0;
  for (std::size_t first = 0; first < rounds; first += most_rounds) {
    std::array<std::uint8_t, width> counts{};
    const std::size_t last = std::min(rounds, first + most_rounds);
    for (std::size_t round = first; round < last; ++round)
      for (std::size_t i = 0; i < width; ++i) counts[i] += bytes[width * round + i] == '\n';
    for (std::uint8_t places : counts) count += places;
  }
  return count;
}

// The line ends that the code of the set in use counts in whole words or
// blocks, and how many bytes those hold.
struct whole_count {
  std::size_t bytes;
  std::uint64_t line_ends;
};

whole_count count_in_blocks(std::span<const unsigned char> bytes) {
  [[maybe_unused]] const std::size_t blocks = bytes.size() / simd::block_size;
  switch (active_instruction_set()) {
#if GRAPHO_SIMD_AVX2
    case instruction_set::avx2:
      return {blocks * simd::block_size, line_ends_in_blocks_avx2(bytes.data(), blocks)};
#endif
#if GRAPHO_SIMD_NEON
    case instruction_set::neon:
      return {blocks * simd::block_size, line_ends_in_blocks_neon(bytes.data(), blocks)};
#endif
#if GRAPHO_SIMD_SIMD128
    case instruction_set::simd128:
      return {blocks * simd::block_size, line_ends_in_blocks_simd128(bytes.data(), blocks)};
#endif
    default:
      return {bytes.size() / 16 * 16, line_ends_in_rounds(bytes.data(), bytes.size() / 16)};
  }
}

}  // namespace

line_count count_line_ends(std::span<const unsigned char> bytes) {
  const whole_count whole = count_in_blocks(bytes);
  const auto rest = bytes.subspan(whole.bytes);
  line_count lines{
      whole.line_ends + static_cast<std::uint64_t>(std::count(rest.begin(), rest.end(), '\n')), 0};
  if (lines.line_ends != 0) {
    auto last = std::find(bytes.rbegin(), bytes.rend(), '\n');
    lines.last_line_start = static_cast<std::size_t>(bytes.rend() - last);
  }
  return lines;
}

}  // namespace grapho
