#include "cli/standard_streams.hpp"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

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

void print_error_line(const std::string& message) {
  std::string line = is_terminal(stderr) ? escape_control_characters(message) : message;
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stderr);
}

}  // namespace grapho
