#include "convert/error.hpp"

#include <utility>

namespace grapho {

conversion_error::conversion_error(source_position where, std::string message)
    : std::runtime_error(message), where_(std::move(where)), message_(std::move(message)) {}

std::string conversion_error::report() const {
  return where_.path + ':' + std::to_string(where_.line) + ':' + std::to_string(where_.column) +
         ' ' + message_;
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
