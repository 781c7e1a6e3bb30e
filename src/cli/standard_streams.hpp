// The standard streams as the programs use them: bytes on every system, and
// messages that no file name or file can use to drive a terminal.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace grapho {

// Standard input and output hold bytes: no line-end translation on Windows.
void use_binary_standard_streams();

bool is_terminal(std::FILE* stream);

// The message and a line end as standard error shows them: on a terminal its
// control characters as escapes (io/terminal_text.hpp), so that no file name
// or file can drive it.
std::string error_line(std::string_view message);

// The message and a line end on standard error, as error_line() has them;
// "Out of memory" instead when there is no memory left for that.
void print_error_line(std::string_view message);

}  // namespace grapho
