// The count of line ends in whole blocks, written once against a vector layer
// and compiled once for each instruction set, in a file of its own: hence the
// unnamed namespace.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

#include "simd/constant.hpp"

namespace grapho {
namespace {

template <class Block>
std::uint64_t line_ends_in_blocks(const unsigned char* bytes, std::size_t blocks) {
  std::uint64_t count = 0;
  for (std::size_t block = 0; block < blocks; ++block)
    count += static_cast<std::uint64_t>(std::popcount(to_bits(
        equal(Block::load(bytes + Block::size * block), Block::splat(simd::constant<'\n'>)))));
  return count;
}

}  // namespace
}  // namespace grapho
