#include "cli/standard_streams.hpp"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

#include <new>

#include "io/terminal_text.hpp"

namespace grapho {

void use_binary_standard_streams() {
#ifdef _WIN32
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
}

bool is_terminal(std::FILE* stream) {
#ifdef _WIN32
  return _isatty(_fileno(stream));
#else
  return isatty(fileno(stream));
#endif
}

std::string error_line(std::string_view message) {
  return (is_terminal(stderr) ? escape_control_characters(message) : std::string(message)) + '\n';
}

void print_error_line(std::string_view message) {
  std::string line;
  try {
    line = error_line(message);
  } catch (const std::bad_alloc&) {
    line = "Out of memory\n";
  }
  std::fwrite(line.data(), 1, line.size(), stderr);
}

}  // namespace grapho
