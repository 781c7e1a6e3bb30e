// The conversion of whole files: text outside Greek runs is copied byte for
// byte, "$$" gives "$", and every run is translated into HTML references.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "convert/byte_stream.hpp"
#include "convert/error.hpp"

namespace grapho {

class converter {
 public:
  static constexpr std::size_t default_buffer_size = 64 * 1024;

  // `buffer_size` is how many bytes of input are read at a time; the output
  // buffer is sized to match.
  explicit converter(std::size_t buffer_size = default_buffer_size);

  // Converts one file into another. Throws conversion_error when a file cannot
  // be opened, read or written, when the output would overwrite the input, and
  // on a transliteration error; the output then keeps what was written before.
  void convert_file(const std::string& input_path, const std::string& output_path);

  // Converts bytes from `reader` into `writer`; `input_path` and `output_path`
  // only name the two sides in messages.
  void convert_stream(byte_reader& reader, byte_writer& writer, std::string_view input_path,
                      std::string_view output_path);

 private:
  std::size_t input_buffer_size_;
  std::unique_ptr<unsigned char[]> input_buffer_;
  std::size_t output_buffer_size_;
  std::unique_ptr<char[]> output_buffer_;
  // Whether the next double quote closes a quotation: carried from file to file.
  bool quote_state_ = false;
};

}  // namespace grapho
