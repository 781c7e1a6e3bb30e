#include "io/error.hpp"

#include <utility>

namespace grapho {

conversion_error::conversion_error(source_position where, std::string message)
    : std::runtime_error(message), where_(std::move(where)), message_(std::move(message)) {}

std::vector<std::string> conversion_error::reports() const {
  std::vector<std::string> lines{where_.path + ':' + std::to_string(where_.line) + ':' +
                                 std::to_string(where_.column) + ' ' + message_};
  if (!follow_up_.empty()) lines.push_back(follow_up_);
  return lines;
}

std::string conversion_error::report() const {
  std::string text;
  for (const std::string& line : reports()) text += (text.empty() ? "" : "\n") + line;
  return text;
}

std::string format_message(std::string_view format, std::string_view argument) {
  std::string text(format);
  if (auto slot = text.find("%s"); slot != std::string::npos) text.replace(slot, 2, argument);
  return text;
}

void fail_at(const source_position& where, bool condition, std::string_view format,
             std::string_view argument) {
  if (condition) throw conversion_error(where, format_message(format, argument));
}

}  // namespace grapho
