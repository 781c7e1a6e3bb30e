// The character source every part of the conversion reads through: a buffered
// byte reader with one character of push-back and a line and column count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "convert/byte_stream.hpp"
#include "convert/error.hpp"

namespace grapho {

inline constexpr int end_of_input = -1;

class char_source {
 public:
  // `buffer` is borrowed for the source's lifetime; any size from 2 bytes up
  // works. Its last byte is kept for the guard that follows the pending input.
  char_source(byte_reader& reader, std::string path, std::span<unsigned char> buffer);

  // The next character value (0 to 255) or end_of_input. Every read, a re-read
  // of a pushed-back character included, moves the column on by one; reading a
  // newline moves to column 1 of the next line.
  int read_source_char() {
    if (next_ == end_ && !refill()) {
      ++end_reads_;
      return end_of_input;
    }
    int c = *next_++;
    if (c == '\n') start_line();
    return c;
  }

  // Returns the character just read to the input; pushing back end_of_input does nothing.
  void push_back(int c) {
    if (c == end_of_input) return;
    --next_;
    ++rereads_;
  }

  // The characters read ahead from the input and not yet consumed. The fast
  // paths of the conversion work on them in place and then report how far
  // they got through one of the two calls below. In memory the pending
  // characters are always followed by a guard, a line end that is not part of
  // the input, so a scan that stops at line ends needs no other bounds check.
  std::span<const unsigned char> pending() const { return {next_, end_}; }
  static constexpr unsigned char guard = '\n';

  // Consumes the pending characters before `to`, which hold no line end, each
  // as one read, and counts `rereads` further reads of characters pushed back.
  void skip(const unsigned char* to, std::uint64_t rereads = 0) {
    next_ = to;
    rereads_ += rereads;
  }

  // Consumes the pending characters before `to`, each as one read, counting
  // the line ends among them.
  void skip_lines(const unsigned char* to);

  source_position position() const;

  // Throws the message, filled with `argument`, at the current position.
  [[noreturn]] void fail(std::string_view format, std::string_view argument) const;

 private:
  bool refill();
  void start_line();
  // How many reads have been made, re-reads and reads at end of input included.
  std::uint64_t reads() const;

  byte_reader& reader_;
  std::string path_;
  std::span<unsigned char> buffer_;
  const unsigned char* next_;
  const unsigned char* end_;
  bool exhausted_ = false;
  std::uint64_t bytes_before_buffer_ = 0;
  std::uint64_t rereads_ = 0;
  std::uint64_t end_reads_ = 0;
  std::uint64_t line_ = 1;
  std::uint64_t reads_at_line_start_ = 0;
};

}  // namespace grapho
