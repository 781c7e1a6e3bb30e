// The check of a source that finds every mistake at once, never stopping:
// grapho's transliteration errors, each where grapho reports it, and the
// warnings of typing and of accentuation.
#pragma once

#include <string_view>
#include <vector>

#include "check/diagnostic.hpp"
#include "check/warnings.hpp"

namespace grapho {

struct check_options {
  // Read the source as UTF-8 text whose Greek stands anywhere, "$" an ordinary
  // character, rather than as grapho's typing.
  bool text = false;
  warning_switches warnings;
};

// Every diagnostic of `source`, in the order of the source. Of a source that
// grapho converts, the first error is grapho's own, message and place: the
// check goes on after it as if the marks in conflict had not been typed.
std::vector<diagnostic> check_source(std::string_view source, const check_options& options = {});

}  // namespace grapho
