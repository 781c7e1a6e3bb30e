#include "convert/converter.hpp"

#include <algorithm>
#include <cstring>
#include <optional>
#include <span>

#include "convert/fast_path.hpp"
#include "io/char_source.hpp"
#include "io/output_sink.hpp"

namespace grapho {
namespace {

// Waits for what the sink handed to the writer before; false when writing it failed.
bool handed_output_written(output_sink& sink) {
  try {
    sink.wait_for_writes();
    return true;
  } catch (const write_failure&) {
    return false;
  }
}

// Hands what the sink holds to the writer and closes it; false when either fails.
bool save_output(output_sink& sink, byte_writer& writer) {
  try {
    sink.flush();
    writer.close();
    return true;
  } catch (const write_failure&) {
    return false;
  }
}

}  // namespace

// The input buffer holds one byte more, for the guard after the pending input;
// the output buffer has room for the fast path to translate a whole input buffer.
converter::converter(std::size_t buffer_size, std::nothrow_t) noexcept
    : input_buffer_size_(std::max<std::size_t>(buffer_size, 1) + 1),
      input_buffer_(allocate_buffer<unsigned char>(input_buffer_size_)),
      output_buffer_size_(fast_path_room(std::max<std::size_t>(buffer_size, 1))),
      output_buffer_(allocate_buffer<char>(output_buffer_size_)),
      spare_output_buffer_(allocate_buffer<char>(output_buffer_size_)) {}

converter::converter(std::size_t buffer_size) : converter(buffer_size, std::nothrow) {
  if (!has_buffers()) throw std::bad_alloc();
}

std::optional<converter> converter::make(std::size_t buffer_size) noexcept {
  converter made(buffer_size, std::nothrow);
  if (!made.has_buffers()) return std::nullopt;
  return made;
}

bool converter::has_buffers() const noexcept {
  return input_buffer_ && output_buffer_;
}

void converter::convert_stream(byte_reader& reader, byte_writer& writer,
                               std::string_view input_path, std::string_view output_path) {
  char_source source(reader, std::string(input_path), {input_buffer_.get(), input_buffer_size_});
  std::span<char> spare;
  if (spare_output_buffer_) spare = {spare_output_buffer_.get(), output_buffer_size_};
  output_sink sink(writer, {output_buffer_.get(), output_buffer_size_}, spare);
  // A failed write or close is about the output as a whole: it stands at 1:1.
  auto cannot_write = [&] {
    return conversion_error({std::string(input_path)},
                            format_message("Cannot write file %s", output_path));
  };
  try {
    convert_page(source, sink, quotes_);
  } catch (const write_failure&) {
    throw cannot_write();
  } catch (conversion_error& error) {
    // Writing in turn, the output handed over before the error would have
    // failed before the error was met: then that failure alone is reported.
    if (!handed_output_written(sink)) throw cannot_write();
    // Keep in the output what was written before the error, and say so when
    // that fails too.
    if (!save_output(sink, writer)) error.add_follow_up(cannot_write());
    throw;
  } catch (...) {
    save_output(sink, writer);
    throw;
  }
  if (!save_output(sink, writer)) throw cannot_write();
}

// The input is opened and read before the output is touched, so that an input
// that cannot be converted leaves an existing output as it was and makes no new
// one.
void converter::convert_file(const std::string& input_path, const std::string& output_path) {
  source_position start{input_path};
  native_file input = native_file::open_input(input_path);
  fail_at(start, !input.is_open(), "Cannot open file %s for reading", input_path);
  const std::optional<file_identity> input_identity = input.identity();
  // The buffers, not yet in use, compare the contents where only they can
  // tell (see may_be_same_file), which costs nothing otherwise.
  const auto is_input = [&](const std::optional<file_identity>& output_identity) {
    if (!input_identity || !output_identity) return false;
    if (is_same_file(*input_identity, *output_identity)) return true;
    return may_be_same_file(*input_identity, *output_identity) &&
           native_file::have_same_contents(
               input_path, output_path, {input_buffer_.get(), input_buffer_size_},
               {reinterpret_cast<unsigned char*>(output_buffer_.get()), output_buffer_size_});
  };
  const auto refuse_if_input = [&](const std::optional<file_identity>& output_identity) {
    fail_at(start, is_input(output_identity), "Cannot write file %s: it is the input file",
            output_path);
  };
  // By name first (a name that maps to itself, a link, a case-blind file
  // system), so that such an input is not even read.
  refuse_if_input(native_file::identity_of(output_path));
  file_reader reader(std::move(input));
  fail_at(start, !reader.read_first_block(), "Cannot read file %s", input_path);

  // What protects the input is the file actually opened, compared before it is
  // emptied: the name may have come to mean another file since it was checked.
  native_file output = native_file::open_output(output_path);
  fail_at(start, !output.is_open(), "Cannot open file %s for writing", output_path);
  refuse_if_input(output.identity());
  fail_at(start, !output.truncate(), "Cannot open file %s for writing", output_path);

  file_writer writer(std::move(output));
  convert_stream(reader, writer, input_path, output_path);
}

}  // namespace grapho
