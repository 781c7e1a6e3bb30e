#include "convert/char_source.hpp"

#include <algorithm>
#include <array>
#include <utility>

namespace grapho {
namespace {

struct line_count {
  std::uint64_t line_ends;
  // Offset within the span just past its last line end, when it has one.
  std::ptrdiff_t last_line_start;
};

// The line ends in `rounds` rounds of 16 bytes, at most 255: sixteen counts
// of one byte each, which compilers keep in one SIMD register.
std::uint64_t count_line_ends_in_rounds(const unsigned char* bytes, std::size_t rounds) {
  std::array<unsigned char, 16> counts{};
#pragma GCC unroll 4
  for (std::size_t round = 0; round < rounds; ++round)
    for (std::size_t i = 0; i < counts.size(); ++i) counts[i] += bytes[16 * round + i] == '\n';
  std::uint64_t total = 0;
  for (unsigned char count : counts) total += count;
  return total;
}

line_count count_line_ends(std::span<const unsigned char> bytes) {
  constexpr std::size_t most_rounds = 255;
  line_count lines{0, 0};
  std::size_t first = 0;
  for (std::size_t rounds; (rounds = std::min(most_rounds, (bytes.size() - first) / 16)) != 0;
       first += 16 * rounds)
    lines.line_ends += count_line_ends_in_rounds(bytes.data() + first, rounds);
  lines.line_ends +=
      static_cast<std::uint64_t>(std::count(bytes.begin() + first, bytes.end(), '\n'));
  if (lines.line_ends != 0) {
    auto last = std::find(bytes.rbegin(), bytes.rend(), '\n');
    lines.last_line_start = bytes.rend() - last;
  }
  return lines;
}

}  // namespace

char_source::char_source(byte_reader& reader, std::string path, std::span<unsigned char> buffer)
    : reader_(reader),
      path_(std::move(path)),
      buffer_(buffer),
      next_(buffer.data()),
      end_(buffer.data()) {
  buffer_[0] = guard;
}

bool char_source::refill() {
  if (exhausted_) return false;
  leave_buffer();
  std::size_t count = 0;
  try {
    count = reader_.read(buffer_.data(), buffer_.size() - 1);
  } catch (const read_failure&) {
    // Points at the first byte that could not be read.
    throw conversion_error(position_of(end_), format_message("Cannot read file %s", path_));
  }
  end_ = next_ + count;
  buffer_[count] = guard;
  exhausted_ = count == 0;
  return !exhausted_;
}

void char_source::leave_buffer() {
  auto left = std::span<const unsigned char>(buffer_.data(), end_);
  line_count lines = count_line_ends(left);
  lines_before_buffer_ += lines.line_ends;
  if (lines.line_ends != 0)
    line_start_before_buffer_ =
        bytes_before_buffer_ + static_cast<std::uint64_t>(lines.last_line_start);
  bytes_before_buffer_ += left.size();
  next_ = end_ = buffer_.data();
}

source_position char_source::position_of(const unsigned char* at) const {
  auto before = std::span<const unsigned char>(buffer_.data(), at);
  line_count lines = count_line_ends(before);
  std::uint64_t offset = bytes_before_buffer_ + before.size();
  std::uint64_t line_start =
      lines.line_ends != 0
          ? bytes_before_buffer_ + static_cast<std::uint64_t>(lines.last_line_start)
          : line_start_before_buffer_;
  return {path_, 1 + lines_before_buffer_ + lines.line_ends, 1 + offset - line_start};
}

void char_source::fail(std::string_view format, std::string_view argument) const {
  throw conversion_error(position_of(next_ - 1), format_message(format, argument));
}

}  // namespace grapho
