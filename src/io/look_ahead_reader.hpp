// A byte reader's input in a buffer that always holds, from the position on,
// a given number of bytes or the rest of the input: for readers of pieces of
// varying length that look past each piece before they take it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <span>

#include "io/byte_stream.hpp"

namespace grapho {

class look_ahead_reader {
 public:
  // `buffer` is borrowed for the reader's lifetime and must be larger than
  // `look_ahead`.
  look_ahead_reader(byte_reader& reader, std::span<unsigned char> buffer, std::size_t look_ahead)
      : reader_(reader),
        buffer_(buffer),
        look_ahead_(look_ahead),
        at_(buffer.data()),
        end_(buffer.data()) {}

  // Makes sure that `look_ahead` bytes, or the rest of the input, lie from the
  // position on; false at the end of the input. A read that fails ends the
  // input there: what was read before it can still be taken, and
  // read_failed() tells.
  bool fill() {
    if (static_cast<std::size_t>(end_ - at_) < look_ahead_ && !at_end_) refill();
    return at_ != end_;
  }

  // The position in the buffer, which the caller moves on as it takes bytes,
  // up to end(); after fill(), limit() is where less than `look_ahead` bytes
  // are left, unless they are the input's last.
  const unsigned char*& position() { return at_; }
  const unsigned char* limit() const {
    return at_end_ ? end_ : std::max(at_, end_ - static_cast<std::ptrdiff_t>(look_ahead_));
  }
  const unsigned char* end() const { return end_; }

  bool read_failed() const { return read_failed_; }

 private:
  // Moves what is left to the front and reads until `look_ahead` bytes are there.
  void refill();

  byte_reader& reader_;
  std::span<unsigned char> buffer_;
  std::size_t look_ahead_;
  const unsigned char* at_;
  const unsigned char* end_;
  bool at_end_ = false;
  bool read_failed_ = false;
};

}  // namespace grapho
