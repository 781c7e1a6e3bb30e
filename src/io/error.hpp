// The one kind of failure the conversion core reports: a positioned, fatal message.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace grapho {

// Where in the input a message points: the path as given, line and column from
// 1. A message about a file as a whole points at 1:1.
struct source_position {
  std::string path;
  std::uint64_t line = 1;
  std::uint64_t column = 1;
};

// Thrown by the core for every fatal condition. The command-line layer prints
// report() exactly as it stands: "path:line:column message", with no line end.
class conversion_error : public std::runtime_error {
 public:
  conversion_error(source_position where, std::string message);

  const source_position& where() const noexcept { return where_; }
  const std::string& message() const noexcept { return message_; }
  // The full report: reports() joined by line ends. It may hold any byte, NUL
  // included, so write it by size.
  std::string report() const;
  // This failure's report, then that of the failure that followed it, if any.
  std::vector<std::string> reports() const;

  // Records a second failure met while handling this one, such as the output
  // written before it that could not be saved.
  void add_follow_up(const conversion_error& later) { follow_up_ = later.report(); }

 private:
  source_position where_;
  std::string message_;
  std::string follow_up_;
};

// Fills the single "%s" of a message format with its argument.
std::string format_message(std::string_view format, std::string_view argument);

// Throws a conversion_error at `where` when `condition` holds.
void fail_at(const source_position& where, bool condition, std::string_view format,
             std::string_view argument);

}  // namespace grapho
