// The diagnostics as JSON, as `graphocheck --format=json` prints them and the
// web page's core hands them over: valid JSON in valid UTF-8 whatever bytes a
// message or a file name holds.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "check/diagnostic.hpp"

namespace grapho {

// The diagnostics of `file` as JSON objects, one a line, separated by commas:
// members of an array. Each has the fields file, line, column, severity, code,
// message and notes, an array of objects with line, column and message. Every
// text is shown as on a terminal (io/terminal_text.hpp): a control character
// or a byte outside UTF-8 as an escape such as "\n" or "\xff".
std::string json_objects(std::string_view file, const std::vector<diagnostic>& found);

}  // namespace grapho
