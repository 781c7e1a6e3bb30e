#include "html_references.hpp"

#include <map>
#include <stdexcept>
#include <string>

namespace grapho {
namespace {

// HTML's named references for what grapho writes by name.
const std::map<std::string, char32_t, std::less<>> named_references = {
    {"Alpha", 0x0391},   {"Beta", 0x0392},   {"Gamma", 0x0393},   {"Delta", 0x0394},
    {"Epsilon", 0x0395}, {"Zeta", 0x0396},   {"Eta", 0x0397},     {"Theta", 0x0398},
    {"Iota", 0x0399},    {"Kappa", 0x039A},  {"Lambda", 0x039B},  {"Mu", 0x039C},
    {"Nu", 0x039D},      {"Xi", 0x039E},     {"Omicron", 0x039F}, {"Pi", 0x03A0},
    {"Rho", 0x03A1},     {"Sigma", 0x03A3},  {"Tau", 0x03A4},     {"Upsilon", 0x03A5},
    {"Phi", 0x03A6},     {"Chi", 0x03A7},    {"Psi", 0x03A8},     {"Omega", 0x03A9},
    {"alpha", 0x03B1},   {"beta", 0x03B2},   {"gamma", 0x03B3},   {"delta", 0x03B4},
    {"epsilon", 0x03B5}, {"zeta", 0x03B6},   {"eta", 0x03B7},     {"theta", 0x03B8},
    {"iota", 0x03B9},    {"kappa", 0x03BA},  {"lambda", 0x03BB},  {"mu", 0x03BC},
    {"nu", 0x03BD},      {"xi", 0x03BE},     {"omicron", 0x03BF}, {"pi", 0x03C0},
    {"rho", 0x03C1},     {"sigmaf", 0x03C2}, {"sigma", 0x03C3},   {"tau", 0x03C4},
    {"upsilon", 0x03C5}, {"phi", 0x03C6},    {"chi", 0x03C7},     {"psi", 0x03C8},
    {"omega", 0x03C9},   {"ndash", 0x2013},  {"ldquo", 0x201C},   {"rdquo", 0x201D},
};

// The character of one reference, given the text between "&" and ";".
char32_t decode_reference(std::string_view name) {
  if (name.starts_with("#x"))
    return static_cast<char32_t>(std::stoul(std::string(name.substr(2)), nullptr, 16));
  auto found = named_references.find(name);
  if (found == named_references.end())
    throw std::invalid_argument("unknown reference &" + std::string(name) + ";");
  return found->second;
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
