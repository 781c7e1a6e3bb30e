// Reading back what grapho writes: its HTML character references decoded into
// the characters a browser shows.
#pragma once

#include <string>
#include <string_view>

namespace grapho {

// Replaces every "&name;" and "&#xhhhh;" in `html` by its character; every
// other byte stands for the character of the same code (ASCII in practice).
// Throws std::invalid_argument on a named reference that grapho never writes.
std::u32string decode_references(std::string_view html);

// The UTF-8 bytes of `text`.
std::string to_utf8(std::u32string_view text);

}  // namespace grapho
