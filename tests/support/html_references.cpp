#include "html_references.hpp"

#include <stdexcept>
#include <string>

#include "greek/unicode_data.hpp"

namespace grapho {
namespace {

// The character of one reference, given the text between "&" and ";".
char32_t decode_reference(std::string_view name) {
  if (name.starts_with("#x"))
    return static_cast<char32_t>(std::stoul(std::string(name.substr(2)), nullptr, 16));
  for (const auto& reference : named_references)
    if (reference.name == name) return reference.code_point;
  throw std::invalid_argument("unknown reference &" + std::string(name) + ";");
}

}  // namespace

std::u32string decode_references(std::string_view html) {
  std::u32string text;
  for (std::size_t i = 0; i < html.size(); ++i) {
    std::size_t end = html.find(';', i);
    if (html[i] != '&' || end == std::string_view::npos) {
      text += static_cast<char32_t>(static_cast<unsigned char>(html[i]));
      continue;
    }
    text += decode_reference(html.substr(i + 1, end - i - 1));
    i = end;
  }
  return text;
}

std::string to_utf8(std::u32string_view text) {
  std::string bytes;
  for (char32_t c : text) {
    if (c < 0x80) {
      bytes += static_cast<char>(c);
      continue;
    }
    // A lead byte that counts the continuation bytes, then six bits in each.
    int continuations = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    constexpr unsigned lead[] = {0, 0xC0, 0xE0, 0xF0};
    bytes += static_cast<char>(lead[continuations] | (c >> (6 * continuations)));
    for (int shift = 6 * (continuations - 1); shift >= 0; shift -= 6)
      bytes += static_cast<char>(0x80 | ((c >> shift) & 0x3F));
  }
  return bytes;
}

}  // namespace grapho
