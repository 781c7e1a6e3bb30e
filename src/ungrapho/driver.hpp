// ungrapho's command line: the typing of each file named, in order, or of
// standard input when none is, on standard output, as cat writes files.
#pragma once

namespace grapho {

// Returns the exit status: 0, or 1 after the first failure, whose message is
// on standard error.
int run_ungrapho(int argc, char** argv);

}  // namespace grapho
