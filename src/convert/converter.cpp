#include "convert/converter.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "convert/char_source.hpp"
#include "convert/output_sink.hpp"
#include "greek/fast_path.hpp"
#include "greek/run_translator.hpp"

namespace grapho {
namespace {

// Opens without the C library's own buffering: the converter buffers itself,
// and a failing device is then seen by the write that fails.
file_handle open_unbuffered(const std::string& path, const char* mode) {
  file_handle file(std::fopen(path.c_str(), mode));
  if (file) std::setvbuf(file.get(), nullptr, _IONBF, 0);
  return file;
}

bool same_file(const std::string& a, const std::string& b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error);
}

// Copies the text outside runs and hands each run to the Greek translator.
void copy_text(char_source& source, output_sink& sink, bool& quote_state) {
  for (;;) {
    if (translate_buffered(source, sink, false)) {
      translate_greek_run(source, sink, quote_state);
      continue;
    }
    int c = source.read_source_char();
    if (c == end_of_input) return;
    if (c != escape_character) {
      sink.put(static_cast<char>(c));
      continue;
    }
    int next = source.read_source_char();
    if (next == escape_character) {
      sink.put('$');
      continue;
    }
    source.push_back(next);
    translate_greek_run(source, sink, quote_state);
  }
}

}  // namespace

// The input buffer holds one byte more, for the guard after the pending input;
// the output buffer has room for the fast path to translate a whole input buffer.
converter::converter(std::size_t buffer_size)
    : input_buffer_size_(std::max<std::size_t>(buffer_size, 1) + 1),
      input_buffer_(std::make_unique_for_overwrite<unsigned char[]>(input_buffer_size_)),
      output_buffer_size_(fast_path_room(std::max<std::size_t>(buffer_size, 1))),
      output_buffer_(std::make_unique_for_overwrite<char[]>(output_buffer_size_)) {}

void converter::convert_stream(byte_reader& reader, byte_writer& writer,
                               std::string_view input_path, std::string_view output_path) {
  char_source source(reader, std::string(input_path), {input_buffer_.get(), input_buffer_size_});
  output_sink sink(writer, {output_buffer_.get(), output_buffer_size_});
  try {
    copy_text(source, sink, quote_state_);
    sink.drain();
    writer.close();
  } catch (const write_failure&) {
    fail_at({std::string(input_path)}, true, "Cannot write file %s", output_path);
  } catch (...) {
    // Keep in the output what was written before the error.
    try {
      sink.drain();
    } catch (const write_failure&) {
    }
    throw;
  }
}

void converter::convert_file(const std::string& input_path, const std::string& output_path) {
  source_position start{input_path};
  // The output is created empty on opening: refuse before that when it is the
  // input itself (a name that maps to itself, a link, a case-blind file system).
  fail_at(start, same_file(input_path, output_path), "Cannot write file %s: it is the input file",
          output_path);
  file_handle input = open_unbuffered(input_path, "rb");
  file_handle output = open_unbuffered(output_path, "wb");
  fail_at(start, !input, "Cannot open file %s for reading", input_path);
  fail_at(start, !output, "Cannot open file %s for writing", output_path);

  file_writer writer(std::move(output));
  file_reader reader(std::move(input));
  convert_stream(reader, writer, input_path, output_path);
}

}  // namespace grapho
