// The output every part of the conversion writes to: a buffer handed to a byte
// writer whenever it fills, and flushed into it at the end of each file. With
// a second buffer, a thread writes each full one while the other fills.
#pragma once

#include <cstring>
#include <span>
#include <string_view>

#include "io/background_writer.hpp"
#include "io/byte_stream.hpp"

namespace grapho {

class output_sink {
 public:
  // `buffer` is borrowed for the sink's lifetime; any size from 1 byte up works.
  output_sink(byte_writer& writer, std::span<char> buffer) : output_sink(writer, buffer, {}) {}
  // The same with a `spare` buffer of the same size: each full buffer is then
  // handed to a thread of the sink's own, which writes it while the other
  // fills. Without a thread to be had, the sink writes in turn as above.
  output_sink(byte_writer& writer, std::span<char> buffer, std::span<char> spare)
      : writer_(writer),
        buffer_(buffer),
        spare_(spare),
        next_(buffer.data()),
        end_(next_ + buffer.size()),
        background_(writer) {}

  void put(char c) {
    if (next_ == end_) send_buffer();
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

  // Room to write into directly: sends the buffer first when less than
  // `wanted` bytes are free, so the room is smaller than `wanted` only in a
  // smaller buffer. Whatever is written there is kept by committing the end of
  // it.
  std::span<char> reserve(std::size_t wanted) {
    if (static_cast<std::size_t>(end_ - next_) < wanted) send_buffer();
    return {next_, end_};
  }
  void commit(char* written_end) { next_ = written_end; }

  // Waits until the buffers handed to the thread are written; throws
  // write_failure when one was not.
  void wait_for_writes();
  // Hands everything written so far to the writer and waits until it is
  // written; throws write_failure.
  void flush();

 private:
  // Passes the buffer on to be written, by the thread if there is one, and
  // starts it again empty.
  void send_buffer();
  void write_in_turn();
  void write_in_pieces(std::string_view text);

  byte_writer& writer_;
  std::span<char> buffer_;
  std::span<char> spare_;  // empty when writing in turn
  char* next_;
  char* end_;
  background_writer background_;  // started by the first buffer sent with a spare
};

}  // namespace grapho
