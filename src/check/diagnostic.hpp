// What the check of a source finds: every mistake at once, each at its place,
// errors and warnings alike.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "check/warnings.hpp"

namespace grapho {

// A place in the source: line and column from 1, the column in bytes, as
// grapho's messages count them.
struct text_place {
  std::uint64_t line = 1;
  std::uint64_t column = 1;

  friend auto operator<=>(const text_place&, const text_place&) = default;
};

enum class severity { error, warning };

// A place that a diagnostic refers to besides its own, such as the "$" that
// opened the run of an error.
struct diagnostic_note {
  text_place place;
  std::string message;
};

struct diagnostic {
  text_place place;
  severity level;
  // Stable names, which tests, editors and `--disable` use.
  std::string_view code;
  std::string message;
  std::vector<diagnostic_note> notes;
};

// The diagnostics of one source as the check finds them, less the warnings
// that are switched off.
class diagnostic_list {
 public:
  explicit diagnostic_list(warning_switches switches = {}) : switches_(switches) {}

  // Whether warnings of `code` are reported; a rule that is off can skip its work.
  bool reports(std::string_view code) const { return switches_.is_on(code); }

  void add(diagnostic found) {
    if (found.level == severity::error || reports(found.code)) found_.push_back(std::move(found));
  }

  // Everything found, in the order of the source.
  std::vector<diagnostic> in_source_order() && {
    std::stable_sort(found_.begin(), found_.end(),
                     [](const diagnostic& a, const diagnostic& b) { return a.place < b.place; });
    return std::move(found_);
  }

 private:
  warning_switches switches_;
  std::vector<diagnostic> found_;
};

}  // namespace grapho
