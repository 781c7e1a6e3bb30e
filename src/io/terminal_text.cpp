#include "io/terminal_text.hpp"

#include <cstddef>

namespace grapho {
namespace {

bool in(unsigned char byte, unsigned char low, unsigned char high) {
  return byte >= low && byte <= high;
}

// The length of the well-formed UTF-8 sequence of two or more bytes that
// starts `text`, or 0. Bounds of the second byte rule out overlong forms,
// surrogates and code points past U+10FFFF.
std::size_t multibyte_length(std::string_view text) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  auto continued = [&](std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i)
      if (i >= text.size() || !in(byte(i), 0x80, 0xbf)) return false;
    return true;
  };
  if (text.size() < 2) return 0;
  unsigned char lead = byte(0), second = byte(1);
  if (in(lead, 0xc2, 0xdf)) return continued(1, 2) ? 2 : 0;
  bool second_fits = (lead == 0xe0 && in(second, 0xa0, 0xbf)) ||
                     (lead == 0xed && in(second, 0x80, 0x9f)) ||
                     ((in(lead, 0xe1, 0xec) || in(lead, 0xee, 0xef)) && in(second, 0x80, 0xbf));
  if (second_fits) return continued(2, 3) ? 3 : 0;
  second_fits = (lead == 0xf0 && in(second, 0x90, 0xbf)) ||
                (in(lead, 0xf1, 0xf3) && in(second, 0x80, 0xbf)) ||
                (lead == 0xf4 && in(second, 0x80, 0x8f));
  if (second_fits) return continued(2, 4) ? 4 : 0;
  return 0;
}

// A C1 control: U+0080 to U+009F, "\xc2\x80" to "\xc2\x9f" in UTF-8.
bool is_c1_control(std::string_view sequence) {
  return sequence.size() == 2 && static_cast<unsigned char>(sequence[0]) == 0xc2 &&
         static_cast<unsigned char>(sequence[1]) <= 0x9f;
}

void append_escape(std::string& out, unsigned char byte) {
  constexpr char digits[] = "0123456789abcdef";
  switch (byte) {
    case '\n':
      out += "\\n";
      return;
    case '\r':
      out += "\\r";
      return;
    case '\t':
      out += "\\t";
      return;
    default:
      out += "\\x";
      out += digits[byte >> 4];
      out += digits[byte & 0xf];
  }
}

}  // namespace

std::string escape_control_characters(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    auto byte = static_cast<unsigned char>(text[i]);
    if (in(byte, 0x20, 0x7e)) {
      out += text[i++];
      continue;
    }
    std::size_t length = byte < 0x80 ? 0 : multibyte_length(text.substr(i));
    std::string_view sequence = text.substr(i, length);
    if (length != 0 && !is_c1_control(sequence)) {
      out += sequence;
      i += length;
      continue;
    }
    // A control or a byte outside well-formed UTF-8: shown byte by byte.
    for (std::size_t end = i + (length != 0 ? length : 1); i < end; ++i)
      append_escape(out, static_cast<unsigned char>(text[i]));
  }
  return out;
}

}  // namespace grapho
