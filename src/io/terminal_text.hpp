// Text for a terminal: what a message holds must never drive the terminal
// itself (retitle it, clear it, move its cursor), whatever bytes a file name
// or a file brings into it.
#pragma once

#include <string>
#include <string_view>

namespace grapho {

// `text` with every control character shown as a visible escape: "\n", "\r"
// and "\t" for those three, "\xhh" for each byte of any other C0 control, of
// DEL, of a C1 control (U+0080 to U+009F in UTF-8) and of whatever is not
// well-formed UTF-8. Printable UTF-8, Greek included, stays as it is.
std::string escape_control_characters(std::string_view text);

}  // namespace grapho
