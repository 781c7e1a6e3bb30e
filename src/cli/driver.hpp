// The command line: one output file per input path, a pause before exit.
#pragma once

#include <string>

namespace grapho {

// Converts every argument in order; returns the exit status: 0 when all were
// converted, 1 after the first fatal error, whose message is on standard error.
int run_driver(int argc, char** argv);

// The input path up to its last "." (the whole path when it has none), then ".html".
std::string output_name_for(const std::string& input_path);

// Prompts on standard error and waits for a line on standard input, so that a
// console window opened for the program stays until its messages are read.
void pause_before_exit();

}  // namespace grapho
