#include "ungrapho/driver.hpp"

#include <csignal>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "cli/standard_streams.hpp"
#include "io/byte_stream.hpp"
#include "io/error.hpp"
#include "io/native_file.hpp"
#include "untype/untyper.hpp"

namespace grapho {
namespace {

constexpr std::string_view out_of_memory = "Out of memory";

// Says what failed, on standard error; the status that follows.
int fail(std::string_view message) {
  print_error_line(message);
  return 1;
}

// A failure that stops the typing: what was typed before it is still written.
int stop(std::string_view message, byte_writer& output) {
  fail(message);
  try {
    output.close();
  } catch (const write_failure&) {
    fail("Cannot write to standard output");
  }
  return 1;
}

// Standard output's file, when it is one on a disk: an input that is that
// file would grow with its own typing as it is read, and is refused, as cat
// refuses it.
std::optional<file_identity> disk_file_of(const native_file& output) {
  return output.is_disk_file() ? output.identity() : std::nullopt;
}

bool is_output(const native_file& input, const std::optional<file_identity>& output_file) {
  std::optional<file_identity> input_file = input.identity();
  return output_file && input_file && is_same_file(*input_file, *output_file);
}

// Types `input` (named by `name`, "standard input" for standard input) into
// `output`; the status, after the message of a failure of the input.
int type_input(untyper& typist, native_file input, const char* name,
               const std::optional<file_identity>& output_file, byte_writer& output) {
  std::string about = name ? format_message("file %s", name) : "standard input";
  if (is_output(input, output_file))
    return stop("Cannot read " + about + ": it is standard output", output);
  file_reader reader(std::move(input));
  try {
    typist.untype_stream(reader, output);
  } catch (const read_failure&) {
    return stop("Cannot read " + about, output);
  }
  return 0;
}

}  // namespace

int run_ungrapho(int argc, char** argv) {
#ifdef SIGPIPE
  // A reader that has gone, or a write past the limit set on the size of
  // files, makes the write fail, which is reported.
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  // The buffers first, without throwing: a process refused them may not have
  // the memory to throw either.
  std::optional<untyper> typist = untyper::make();
  if (!typist) return fail(out_of_memory);
  native_file standard_output = native_file::standard_output();
  const std::optional<file_identity> output_file = disk_file_of(standard_output);
  file_writer output(std::move(standard_output));
  try {
    if (argc < 2 &&
        type_input(*typist, native_file::standard_input(), nullptr, output_file, output) != 0)
      return 1;
    for (int i = 1; i < argc; ++i) {
      native_file file = native_file::open_input(argv[i]);
      if (!file.is_open())
        return stop(format_message("Cannot open file %s for reading", argv[i]), output);
      if (type_input(*typist, std::move(file), argv[i], output_file, output) != 0) return 1;
    }
    output.close();
  } catch (const write_failure&) {
    return fail("Cannot write to standard output");
  } catch (const std::bad_alloc&) {
    return fail(out_of_memory);
  }
  return 0;
}

}  // namespace grapho
