// graphocheck's command line: every mistake of each file named, or of standard
// input when none is, one a line on standard output, for editors and CI.
#pragma once

namespace grapho {

// Returns the exit status: 0 when nothing was reported, 1 when something was,
// 2 when an option was wrong or a file could not be read (its message on
// standard error).
int run_graphocheck(int argc, char** argv);

}  // namespace grapho
