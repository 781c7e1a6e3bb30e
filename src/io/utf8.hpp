// UTF-8, as the readers of Unicode text decode it: one well-formed character
// at a time, and nothing from a malformed or cut sequence.
#pragma once

#include <cstddef>

namespace grapho {

// The length of the well-formed multi-byte UTF-8 character at `at`, with its
// code point, or 0 when there is none: an ASCII byte, which callers take as it
// is, or a malformed or cut sequence.
inline std::size_t decode_utf8(const unsigned char* at, const unsigned char* end,
                               char32_t& code_point) {
  unsigned char lead = at[0];
  if (lead < 0xC2 || lead > 0xF4) return 0;
  std::size_t size = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  if (static_cast<std::size_t>(end - at) < size) return 0;
  char32_t value = lead & (0x7F >> size);
  for (std::size_t i = 1; i < size; ++i) {
    if ((at[i] & 0xC0) != 0x80) return 0;
    value = value << 6 | (at[i] & 0x3F);
  }
  bool overlong = (size == 3 && value < 0x800) || (size == 4 && value < 0x10000);
  if (overlong || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF) return 0;
  code_point = value;
  return size;
}

}  // namespace grapho
