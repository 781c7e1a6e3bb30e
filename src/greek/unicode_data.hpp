// What reading Greek back needs to know of Unicode and of HTML rather than of
// grapho: the code points behind the named references grapho writes, the
// combining marks of its seven diacritics, the characters that Unicode holds
// equal to one that grapho writes, the letters with a mark of length and the
// other forms of letters. The test suite checks each table against ICU's
// character data.
#pragma once

#include <cstddef>
#include <string_view>

#include "greek/tables.hpp"

namespace grapho {

// HTML's named character references (the WHATWG list) for the names grapho writes.
struct named_reference {
  std::string_view name;
  char32_t code_point;
};

inline constexpr named_reference named_references[] = {
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

// The code point of one reference as grapho spells it: "&#xhhhh;" or "&name;".
constexpr char32_t code_point_of(std::string_view entity) {
  std::string_view inner = entity.substr(1, entity.size() - 2);
  if (inner.starts_with("#x")) {
    char32_t value = 0;
    for (char digit : inner.substr(2)) {
      char lower = digit >= 'A' && digit <= 'F' ? static_cast<char>(digit - 'A' + 'a') : digit;
      value = value * 16 + static_cast<char32_t>(lower <= '9' ? lower - '0' : lower - 'a' + 10);
    }
    return value;
  }
  for (const auto& reference : named_references)
    if (reference.name == inner) return reference.code_point;
  return 0;
}

// The combining characters of the seven marks, in the order in which they
// stand in Unicode's canonical decompositions of the Greek letters (a
// breathing or the diaeresis, then the accent, then the iota subscript), with
// their canonical combining classes (UnicodeData.txt, field 3). Canonical
// reordering moves a mark only past one of another class.
struct combining_mark {
  mark bit;
  char32_t code_point;
  unsigned combining_class;
};

inline constexpr combining_mark combining_marks[] = {
    {smooth, 0x0313, 230},         {rough, 0x0314, 230}, {diaeresis, 0x0308, 230},
    {acute, 0x0301, 230},          {grave, 0x0300, 230}, {circumflex, 0x0342, 230},
    {iota_subscript, 0x0345, 240},
};

// Characters of the Greek blocks whose canonical decomposition is a single
// other character that grapho writes (UnicodeData.txt, field 5): the tonos
// forms, the Greek upper stop and the spacing prosgegrammeni.
struct canonical_singleton {
  char32_t code_point;
  char32_t equivalent;
};

inline constexpr canonical_singleton canonical_singletons[] = {
    {0x0386, 0x1FBB}, {0x0388, 0x1FC9}, {0x0389, 0x1FCB}, {0x038A, 0x1FDB}, {0x038C, 0x1FF9},
    {0x038E, 0x1FEB}, {0x038F, 0x1FFB}, {0x0390, 0x1FD3}, {0x03AC, 0x1F71}, {0x03AD, 0x1F73},
    {0x03AE, 0x1F75}, {0x03AF, 0x1F77}, {0x03B0, 0x1FE3}, {0x03CC, 0x1F79}, {0x03CD, 0x1F7B},
    {0x03CE, 0x1F7D}, {0x0387, 0x00B7}, {0x1FBE, 0x03B9},
};

// The letters of Greek Extended that carry a mark of vowel length, the
// combining macron or breve, with their canonical decompositions
// (UnicodeData.txt, field 5). grapho types neither mark; editions and grammars
// write them where the length of alpha, iota or upsilon matters.
inline constexpr char32_t combining_macron = 0x0304, combining_breve = 0x0306;

struct length_marked_letter {
  char32_t code_point;
  char32_t letter;
  char32_t mark;
};

inline constexpr length_marked_letter length_marked_letters[] = {
    {0x1FB0, 0x03B1, combining_breve}, {0x1FB1, 0x03B1, combining_macron},
    {0x1FB8, 0x0391, combining_breve}, {0x1FB9, 0x0391, combining_macron},
    {0x1FD0, 0x03B9, combining_breve}, {0x1FD1, 0x03B9, combining_macron},
    {0x1FD8, 0x0399, combining_breve}, {0x1FD9, 0x0399, combining_macron},
    {0x1FE0, 0x03C5, combining_breve}, {0x1FE1, 0x03C5, combining_macron},
    {0x1FE8, 0x03A5, combining_breve}, {0x1FE9, 0x03A5, combining_macron},
};

// The characters of Greek and Coptic that are other forms of a Greek letter,
// as mathematics and some typefaces write them, with the letter each stands
// for (its compatibility decomposition, UnicodeData.txt, field 5): ϐ ϑ ϒ ϕ ϖ
// ϰ ϱ ϲ ϴ ϵ.
struct letter_form {
  char32_t code_point;
  char32_t letter;
};

inline constexpr letter_form letter_forms[] = {
    {0x03D0, 0x03B2}, {0x03D1, 0x03B8}, {0x03D2, 0x03A5}, {0x03D5, 0x03C6}, {0x03D6, 0x03C0},
    {0x03F0, 0x03BA}, {0x03F1, 0x03C1}, {0x03F2, 0x03C2}, {0x03F4, 0x0398}, {0x03F5, 0x03B5},
};

// Unicode's blocks Greek and Coptic and Greek Extended (Blocks.txt).
struct code_point_range {
  char32_t first;
  char32_t last;
};

inline constexpr code_point_range greek_blocks[] = {{0x0370, 0x03FF}, {0x1F00, 0x1FFF}};

// The characters of the Greek blocks, one after the other.
inline constexpr std::size_t greek_block_size = [] {
  std::size_t size = 0;
  for (const auto& block : greek_blocks) size += block.last - block.first + 1;
  return size;
}();

// The place of `c` among the characters of the Greek blocks, or
// greek_block_size when it is none of them.
constexpr std::size_t greek_block_slot(char32_t c) {
  std::size_t before = 0;
  for (const auto& block : greek_blocks) {
    if (c >= block.first && c <= block.last) return before + (c - block.first);
    before += block.last - block.first + 1;
  }
  return greek_block_size;
}

constexpr bool in_greek_blocks(char32_t c) {
  return greek_block_slot(c) != greek_block_size;
}

// Unicode's block Combining Diacritical Marks (Blocks.txt), which holds the
// marks of decomposed Greek, just before Greek and Coptic.
inline constexpr code_point_range combining_diacritical_marks = {0x0300, 0x036F};

// The blocks of combining diacritical marks: Combining Diacritical Marks and
// its Extended and Supplement blocks, those for Symbols, and Half Marks.
constexpr bool is_combining_diacritic(char32_t c) {
  return (c >= combining_diacritical_marks.first && c <= combining_diacritical_marks.last) ||
         (c >= 0x1AB0 && c <= 0x1AFF) || (c >= 0x1DC0 && c <= 0x1DFF) ||
         (c >= 0x20D0 && c <= 0x20FF) || (c >= 0xFE20 && c <= 0xFE2F);
}

}  // namespace grapho
