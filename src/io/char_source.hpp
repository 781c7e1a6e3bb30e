// The character source every part of the conversion reads through: a buffered
// byte reader with one character of push-back, which can tell the line and
// column of the character in hand.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "io/byte_stream.hpp"
#include "io/error.hpp"

namespace grapho {

inline constexpr int end_of_input = -1;

class char_source {
 public:
  // `buffer` is borrowed for the source's lifetime; any size from 2 bytes up
  // works. Its last byte is kept for the guard that follows the pending input.
  char_source(byte_reader& reader, std::string path, std::span<unsigned char> buffer);

  // The next character value (0 to 255) or end_of_input.
  int read_source_char() {
    if (next_ == end_ && !refill()) return end_of_input;
    return *next_++;
  }

  // Returns the character just read to the input; pushing back end_of_input
  // does nothing. A character read again is the same character, in the same
  // place: reading it twice does not move any position.
  void push_back(int c) {
    if (c != end_of_input) --next_;
  }

  // The characters read ahead from the input and not yet consumed. The fast
  // paths of the conversion work on them in place and then say how far they
  // got with consume(). In memory the pending characters are always followed
  // by a guard, a line end that is not part of the input, so a scan that stops
  // at line ends needs no other bounds check.
  std::span<const unsigned char> pending() const { return {next_, end_}; }
  static constexpr unsigned char guard = '\n';

  // Consumes the pending characters before `to`, as if each had been read.
  void consume(const unsigned char* to) { next_ = to; }

  // Throws the message, filled with `argument`, at the position of the
  // character in hand: the one read last.
  [[noreturn]] void fail(std::string_view format, std::string_view argument) const;

 private:
  bool refill();
  // Counts what the buffer held into what lies before it, and empties it.
  void leave_buffer();
  // Where the byte at `at` in the buffer stands in the input.
  source_position position_of(const unsigned char* at) const;

  byte_reader& reader_;
  std::string path_;
  std::span<unsigned char> buffer_;
  const unsigned char* next_;
  const unsigned char* end_;
  bool exhausted_ = false;
  // What lies before the buffer: how many bytes and line ends, and the offset
  // at which its last line starts. The buffer's own line ends are counted only
  // when a message needs them.
  std::uint64_t bytes_before_buffer_ = 0;
  std::uint64_t lines_before_buffer_ = 0;
  std::uint64_t line_start_before_buffer_ = 0;
};

}  // namespace grapho
