// The count of line ends in whole blocks, written once against a vector layer
// (vector_block.hpp) and compiled once for each instruction set, in a file of
// its own: hence the unnamed namespace.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "simd/constant.hpp"
#include "simd/vector_block.hpp"

namespace grapho {
namespace {

// Each byte of a block counts the line ends in its place, for up to 255
// blocks, then the counts are added up.
template <simd::vector_block Block>
std::uint64_t line_ends_in_blocks(const unsigned char* bytes, std::size_t blocks) {
  constexpr std::size_t most_rounds = 255;
  std::uint64_t count = 0;
  for (std::size_t first = 0; first < blocks; first += most_rounds) {
    Block counts = Block::splat(simd::constant<0>);
    const std::size_t last = std::min(blocks, first + most_rounds);
    for (std::size_t block = first; block < last; ++block)
      counts = counts -
               equal(Block::load(bytes + Block::size * block), Block::splat(simd::constant<'\n'>));
    count += sum_bytes(counts);
  }
  return count;
}

}  // namespace
}  // namespace grapho
