#include "ungrapho/driver.hpp"

#include <csignal>
#include <cstdio>
#include <new>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

#include "io/byte_stream.hpp"
#include "io/error.hpp"
#include "io/native_file.hpp"
#include "io/terminal_text.hpp"
#include "untype/untyper.hpp"

namespace grapho {
namespace {

class standard_input_reader final : public byte_reader {
 public:
  std::size_t read(unsigned char* buffer, std::size_t capacity) override {
    std::size_t count = std::fread(buffer, 1, capacity, stdin);
    if (count == 0 && std::ferror(stdin)) throw read_failure{};
    return count;
  }
};

class standard_output_writer final : public byte_writer {
 public:
  void write(const char* data, std::size_t size) override {
    if (std::fwrite(data, 1, size, stdout) != size) throw write_failure{};
  }
  void close() override {
    if (std::fflush(stdout) != 0) throw write_failure{};
  }
};

// The message and a line end on standard error; on a terminal its control
// characters are shown as escapes, so that no file name can drive it.
int fail(const std::string& message) {
  std::string line = isatty(fileno(stderr)) ? escape_control_characters(message) : message;
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stderr);
  return 1;
}

// Standard input and output hold bytes: no line-end translation on Windows.
void use_binary_standard_streams() {
#ifdef _WIN32
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
}

// A failure that stops the typing: what was typed before it is still written.
int stop(const std::string& message, byte_writer& output) {
  fail(message);
  try {
    output.close();
  } catch (const write_failure&) {
    fail("Cannot write to standard output");
  }
  return 1;
}

}  // namespace

int run_ungrapho(int argc, char** argv) {
#ifdef SIGPIPE
  // A reader that has gone makes a write fail, which is reported.
  std::signal(SIGPIPE, SIG_IGN);
#endif
  use_binary_standard_streams();
  untyper typist;
  standard_output_writer output;
  try {
    if (argc < 2) {
      standard_input_reader input;
      try {
        typist.untype_stream(input, output);
      } catch (const read_failure&) {
        return stop("Cannot read standard input", output);
      }
    }
    for (int i = 1; i < argc; ++i) {
      native_file file = native_file::open_input(argv[i]);
      if (!file.is_open())
        return stop(format_message("Cannot open file %s for reading", argv[i]), output);
      file_reader input(std::move(file));
      try {
        typist.untype_stream(input, output);
      } catch (const read_failure&) {
        return stop(format_message("Cannot read file %s", argv[i]), output);
      }
    }
    output.close();
  } catch (const write_failure&) {
    return fail("Cannot write to standard output");
  } catch (const std::bad_alloc&) {
    std::fputs("Out of memory\n", stderr);
    return 1;
  }
  return 0;
}

}  // namespace grapho
