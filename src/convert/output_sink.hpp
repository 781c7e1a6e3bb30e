// The output every part of the conversion writes to: a buffer drained into a
// byte writer whenever it fills, and at the end of each file.
#pragma once

#include <cstring>
#include <span>
#include <string_view>

#include "convert/byte_stream.hpp"

namespace grapho {

class output_sink {
 public:
  // `buffer` is borrowed for the sink's lifetime; any size from 1 byte up works.
  output_sink(byte_writer& writer, std::span<char> buffer)
      : writer_(writer), buffer_(buffer), next_(buffer.data()), end_(next_ + buffer.size()) {}

  void put(char c) {
    if (next_ == end_) drain();
    *next_++ = c;
  }

  // Writes an entity text, or any other run of bytes.
  void write(std::string_view text) {
    if (text.size() <= static_cast<std::size_t>(end_ - next_)) {
      std::memcpy(next_, text.data(), text.size());
      next_ += text.size();
    } else {
      write_in_pieces(text);
    }
  }

  // Room to write into directly: drains first when less than `wanted` bytes
  // are free, so the room is smaller than `wanted` only in a smaller buffer.
  // Whatever is written there is kept by committing the end of it.
  std::span<char> reserve(std::size_t wanted) {
    if (static_cast<std::size_t>(end_ - next_) < wanted) drain();
    return {next_, end_};
  }
  void commit(char* written_end) { next_ = written_end; }

  // Hands everything written so far to the writer; throws write_failure.
  void drain();

 private:
  void write_in_pieces(std::string_view text);

  byte_writer& writer_;
  std::span<char> buffer_;
  char* next_;
  char* end_;
};

}  // namespace grapho
