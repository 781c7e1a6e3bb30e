// Counting line ends, for the line and column of a message, with the
// instruction set in use (instruction_set.hpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace grapho {

struct line_count {
  std::uint64_t line_ends;
  // Offset within the span just past its last line end, when it has one.
  std::size_t last_line_start;
};

line_count count_line_ends(std::span<const unsigned char> bytes);

}  // namespace grapho
