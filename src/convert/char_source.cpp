#include "convert/char_source.hpp"

#include <cstring>
#include <limits>
#include <utility>

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
  std::size_t count = 0;
  try {
    count = reader_.read(buffer_.data(), buffer_.size() - 1);
  } catch (const read_failure&) {
    fail("Cannot read file %s", path_);
  }
  bytes_before_buffer_ += static_cast<std::uint64_t>(end_ - buffer_.data());
  next_ = buffer_.data();
  end_ = next_ + count;
  buffer_[count] = guard;
  exhausted_ = count == 0;
  return !exhausted_;
}

void char_source::start_line() {
  ++line_;
  reads_at_line_start_ = reads();
}

void char_source::skip_lines(const unsigned char* to) {
  while (const void* line_end = std::memchr(next_, '\n', static_cast<std::size_t>(to - next_))) {
    next_ = static_cast<const unsigned char*>(line_end) + 1;
    start_line();
  }
  next_ = to;
}

std::uint64_t char_source::reads() const {
  return bytes_before_buffer_ + static_cast<std::uint64_t>(next_ - buffer_.data()) + rereads_ +
         end_reads_;
}

// Positions are printed as ints; a count past that range (a file of more than
// two thousand million lines) is held at the largest int rather than wrapping.
static int clamp_to_int(std::uint64_t count) {
  constexpr auto largest = static_cast<std::uint64_t>(std::numeric_limits<int>::max());
  return static_cast<int>(count < largest ? count : largest);
}

void char_source::fail(std::string_view format, std::string_view argument) const {
  throw conversion_error(position(), format_message(format, argument));
}

source_position char_source::position() const {
  return {path_, clamp_to_int(line_), clamp_to_int(1 + reads() - reads_at_line_start_)};
}

}  // namespace grapho
