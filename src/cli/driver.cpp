#include "cli/driver.hpp"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "cli/standard_streams.hpp"
#include "convert/converter.hpp"
#include "io/terminal_text.hpp"

namespace grapho {
namespace {

// Writes a report on standard error, by size: it may hold any byte. On a
// terminal its control characters are shown as escapes, so that no file name
// or file content can drive the terminal; elsewhere the bytes stay as they are
// for scripts to read. The line ends between the reports of two failures are
// the program's own.
void print_reports(const std::vector<std::string>& reports) {
  bool to_terminal = is_terminal(stderr);
  std::string text;
  for (const std::string& report : reports) {
    if (!text.empty()) text += '\n';
    text += to_terminal ? escape_control_characters(report) : report;
  }
  std::fwrite(text.data(), 1, text.size(), stderr);
}

// Reads one byte of standard input straight from the system, so that what
// the program does not take stays there for the next reader, from a pipe as
// from a file. False at end of input and when standard input cannot be read.
bool read_typed_byte(char& byte) {
#ifdef _WIN32
  DWORD count = 0;
  return ReadFile(GetStdHandle(STD_INPUT_HANDLE), &byte, 1, &count, nullptr) && count == 1;
#else
  for (;;) {
    ssize_t count = ::read(STDIN_FILENO, &byte, 1);
    if (count >= 0 || errno != EINTR) return count == 1;
  }
#endif
}

}  // namespace

std::string output_name_for(const std::string& input_path) {
  // The last dot anywhere, a directory's name included, starts the extension.
  return input_path.substr(0, input_path.rfind('.')) + ".html";
}

void pause_before_exit() {
  std::fputs("\nPress <ENTER> to terminate...", stderr);
  // Takes at most three characters, up to a line end; end of input returns at
  // once. What was typed is of no interest. On Windows a line ends in CR LF,
  // whose CR is not one of the three.
  char typed;
  for (int taken = 0; taken < 3 && read_typed_byte(typed) && typed != '\n';) {
#ifdef _WIN32
    if (typed == '\r') continue;
#endif
    ++taken;
  }
}

int run_driver(int argc, char** argv) {
  std::atexit(pause_before_exit);
#ifdef SIGPIPE
  // A reader that has gone, or a write past the limit set on the size of
  // files, makes the write fail, which is reported, rather than end the
  // program; a closed standard error leaves the status as earned.
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  // Out of memory is reported without building a string: there may be no
  // memory for one.
  constexpr const char* out_of_memory = "Out of memory";
  std::optional<converter> files = converter::make();
  if (!files) {
    std::fputs(out_of_memory, stderr);
    return 1;
  }
  try {
    try {
      for (int i = 1; i < argc; ++i) files->convert_file(argv[i], output_name_for(argv[i]));
    } catch (const conversion_error& error) {
      print_reports(error.reports());
      return 1;
    } catch (const std::bad_alloc&) {
      throw;  // to the handler below, as one thrown while reporting
    } catch (const std::exception& error) {
      print_reports({std::string("Internal error: ") + error.what()});
      return 1;
    }
  } catch (const std::bad_alloc&) {
    // Memory may run out while a report is being built too (a long file name
    // makes a long one); nothing of it has been written then.
    std::fputs(out_of_memory, stderr);
    return 1;
  }
  return 0;
}

}  // namespace grapho
