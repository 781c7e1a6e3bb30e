// The standard streams as the programs use them: bytes on every system, and
// messages that no file name or file can use to drive a terminal.
#pragma once

#include <cstdio>
#include <string>

namespace grapho {

// Standard input and output hold bytes: no line-end translation on Windows.
void use_binary_standard_streams();

bool is_terminal(std::FILE* stream);

// The message and a line end on standard error; on a terminal its control
// characters are shown as escapes (io/terminal_text.hpp).
void print_error_line(const std::string& message);

}  // namespace grapho
