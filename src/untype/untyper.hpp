// Greek back into what one types for grapho: the inverse of grapho's
// conversion. Greek characters (composed, decomposed or mixed) and the
// references grapho writes, spelled exactly as it spells them, become typing
// in "$" runs; everything else is copied byte for byte, a "$" as "$$".
// Whatever cannot be typed so that grapho gives it back is copied as it came,
// outside the runs. There is no error of its own: only a reader or a writer
// can fail (read_failure, write_failure).
#pragma once

#include <cstddef>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "io/buffer.hpp"
#include "io/byte_stream.hpp"

namespace grapho {

class untyper {
 public:
  static constexpr std::size_t input_buffer_size = 64 * 1024;
  static constexpr std::size_t output_buffer_size = 64 * 1024;

  // Throws std::bad_alloc when memory is short.
  untyper();
  // The same, or nothing when memory is short, without throwing: throwing
  // needs memory too, which a process short of it may not have.
  static std::optional<untyper> make() noexcept;

  // Reads `reader` to its end and writes the typing to `writer`, every run
  // closed at the end; does not close the writer. Memory stays the same
  // whatever the input's size. On a failing read, what was read before is
  // written out, its run closed, and the read_failure goes on.
  void untype_stream(byte_reader& reader, byte_writer& writer);

  // Whether grapho, converting all that was written so far, has an open
  // quotation: the alternation carries from one stream to the next, as
  // grapho's carries from file to file.
  bool quotation_open() const { return quotation_open_; }

 private:
  explicit untyper(std::nothrow_t) noexcept;
  bool has_buffers() const noexcept;

  // All the memory that typing takes, whatever the input's size.
  buffer<unsigned char> input_buffer_;
  buffer<char> output_buffer_;
  bool quotation_open_ = false;
};

// The typing of `text`, from a closed quotation on: for the web page and tests.
std::string untype(std::string_view text);

}  // namespace grapho
