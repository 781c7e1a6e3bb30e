#include "check/warnings.hpp"

#include <algorithm>
#include <vector>

#include "io/error.hpp"

namespace grapho {
namespace {

// The place of `code` in warning_kinds, or its size.
std::size_t warning_index(std::string_view code) {
  auto found = std::find_if(std::begin(warning_kinds), std::end(warning_kinds),
                            [&](const warning_kind& kind) { return kind.code == code; });
  return static_cast<std::size_t>(found - std::begin(warning_kinds));
}

bool is_error_code(std::string_view code) {
  return std::any_of(std::begin(error_kinds), std::end(error_kinds),
                     [&](const error_kind& kind) { return kind.code == code; });
}

}  // namespace

warning_switches::warning_switches() {
  for (std::size_t i = 0; i < on_.size(); ++i) on_[i] = warning_kinds[i].on_by_default;
}

std::optional<std::string> warning_switches::set(std::string_view codes, bool on) {
  if (codes.empty()) return std::nullopt;
  std::vector<std::size_t> switched;
  for (std::size_t start = 0;;) {
    std::size_t comma = std::min(codes.find(',', start), codes.size());
    std::string_view code = codes.substr(start, comma - start);
    if (is_error_code(code))
      return format_message("\"%s\" is an error: errors cannot be switched", code);
    switched.push_back(warning_index(code));
    if (switched.back() == on_.size()) return format_message("No warning is named \"%s\"", code);
    if (comma == codes.size()) break;
    start = comma + 1;
  }
  for (std::size_t i : switched) on_[i] = on;
  return std::nullopt;
}

bool warning_switches::is_on(std::string_view code) const {
  std::size_t i = warning_index(code);
  return i == on_.size() || on_[i];
}

}  // namespace grapho
