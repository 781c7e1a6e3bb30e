// The conversion of whole files: text outside Greek runs is copied byte for
// byte, "$$" gives "$", and every run is translated into HTML references.
#pragma once

#include <cstddef>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "convert/page.hpp"
#include "io/buffer.hpp"
#include "io/byte_stream.hpp"
#include "io/error.hpp"

namespace grapho {

class converter {
 public:
  static constexpr std::size_t default_buffer_size = 64 * 1024;

  // `buffer_size` is how many bytes of input are read at a time; the output
  // buffer is sized to match. Throws std::bad_alloc when memory is short.
  explicit converter(std::size_t buffer_size = default_buffer_size);

  // The same, or nothing when memory is short, without throwing: throwing
  // needs memory too, which a process short of it may not have.
  static std::optional<converter> make(std::size_t buffer_size = default_buffer_size) noexcept;

  // Converts one file into another. Throws conversion_error when a file cannot
  // be opened, read or written, when the output would overwrite the input, and
  // on a transliteration error; the output then keeps what was written before.
  void convert_file(const std::string& input_path, const std::string& output_path);

  // Converts bytes from `reader` into `writer`; `input_path` and `output_path`
  // only name the two sides in messages. Each full output buffer is written by
  // a thread of its own while the conversion fills another; without a second
  // buffer or a thread to be had, the writes are made in turn.
  void convert_stream(byte_reader& reader, byte_writer& writer, std::string_view input_path,
                      std::string_view output_path);

 private:
  converter(std::size_t buffer_size, std::nothrow_t) noexcept;
  bool has_buffers() const noexcept;

  std::size_t input_buffer_size_;
  buffer<unsigned char> input_buffer_;
  std::size_t output_buffer_size_;
  buffer<char> output_buffer_;
  // The second output buffer, of the same size, for writing in the background;
  // none when memory is short, which only makes the writes go in turn.
  buffer<char> spare_output_buffer_;
  // Carried from file to file.
  quote_state quotes_ = quote_state::next_opens;
};

}  // namespace grapho
