#include "io/char_source.hpp"

#include <utility>

#include "simd/line_ends.hpp"

namespace grapho {

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
