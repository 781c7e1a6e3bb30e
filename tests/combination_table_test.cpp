// Holds the combination table against Unicode's own canonical decompositions,
// in both directions, and the Unicode data of reading Greek back and of the
// check's reading of Unicode text, through ICU.
#include <gtest/gtest.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <cctype>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "check/greek_letters.hpp"
#include "convert/greek_run.hpp"
#include "greek/tables.hpp"
#include "greek/unicode_data.hpp"
#include "html_references.hpp"
#include "untype/typing.hpp"

namespace grapho {
namespace {

// The Greek letter each key letter stands for.
const std::map<char, UChar32> base_letters = {
    {'a', 0x03B1}, {'A', 0x0391}, {'e', 0x03B5}, {'E', 0x0395}, {'h', 0x03B7}, {'H', 0x0397},
    {'i', 0x03B9}, {'I', 0x0399}, {'o', 0x03BF}, {'O', 0x039F}, {'u', 0x03C5}, {'U', 0x03A5},
    {'w', 0x03C9}, {'W', 0x03A9}, {'r', 0x03C1}, {'R', 0x03A1},
};

// The combining characters of the seven marks.
const std::map<UChar32, unsigned> combining_marks = {
    {0x0313, smooth},     {0x0314, rough},     {0x0301, acute},          {0x0300, grave},
    {0x0342, circumflex}, {0x0308, diaeresis}, {0x0345, iota_subscript},
};

struct decomposition {
  UChar32 base = 0;
  unsigned marks = 0;
  bool only_known_marks = true;
};

decomposition decompose(UChar32 code_point) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
  EXPECT_TRUE(U_SUCCESS(status));
  icu::UnicodeString text = nfd->normalize(icu::UnicodeString(code_point), status);
  EXPECT_TRUE(U_SUCCESS(status));
  decomposition result;
  result.base = text.char32At(0);
  for (int32_t i = text.moveIndex32(0, 1); i < text.length(); i = text.moveIndex32(i, 1)) {
    auto mark = combining_marks.find(text.char32At(i));
    if (mark == combining_marks.end() || (result.marks & mark->second)) {
      result.only_known_marks = false;
    } else {
      result.marks |= mark->second;
    }
  }
  return result;
}

// "&#x" and four hex digits, lowercase but for the last digit of U+1F7A to U+1F7D.
std::string entity_for(UChar32 code_point) {
  char text[16];
  std::snprintf(text, sizeof text, "&#x%04x;", static_cast<unsigned>(code_point));
  if (code_point >= 0x1F7A && code_point <= 0x1F7D) text[6] -= 'a' - 'A';
  return text;
}

TEST(CombinationTable, EveryRowIsItsLetterWithExactlyItsMarks) {
  EXPECT_EQ(std::size(combination_table), 209u);
  std::set<std::pair<char, unsigned>> keys;
  for (const auto& row : combination_table) {
    SCOPED_TRACE(std::string(1, row.letter) + " " + std::to_string(row.marks));
    EXPECT_TRUE(keys.emplace(row.letter, row.marks).second) << "duplicate key";
    UChar32 code_point = static_cast<UChar32>(decode_references(row.entity).at(0));
    EXPECT_EQ(row.entity, entity_for(code_point));
    auto parts = decompose(code_point);
    EXPECT_EQ(parts.base, base_letters.at(row.letter));
    EXPECT_TRUE(parts.only_known_marks);
    EXPECT_EQ(parts.marks, row.marks);
  }
}

TEST(CombinationTable, EveryPrecomposedGreekLetterWithTheseMarksHasItsRow) {
  std::map<UChar32, char> key_of_base;
  for (const auto& [key, base] : base_letters) key_of_base[base] = key;

  // (letter, marks) -> expected code point; Greek Extended wins over the tonos forms.
  std::map<std::pair<char, unsigned>, UChar32> expected;
  for (auto [first, last] : greek_blocks) {
    for (auto code_point = static_cast<UChar32>(first); code_point <= static_cast<UChar32>(last);
         ++code_point) {
      if (!u_isdefined(code_point)) continue;
      auto parts = decompose(code_point);
      auto key = key_of_base.find(parts.base);
      if (parts.marks == 0 || !parts.only_known_marks || key == key_of_base.end()) continue;
      expected[{key->second, parts.marks}] = code_point;
    }
  }
  EXPECT_EQ(expected.size(), std::size(combination_table));
  for (const auto& [key, code_point] : expected) {
    auto found = find_combination(key.first, key.second);
    ASSERT_TRUE(found.has_value()) << key.first << " " << key.second;
    EXPECT_EQ(*found, entity_for(code_point)) << key.first << " " << key.second;
  }
}
// ---------------------------------------------------------------------------
// The Unicode data that reading Greek back relies on.

icu::UnicodeString nfd(const icu::UnicodeString& text) {
  UErrorCode status = U_ZERO_ERROR;
  auto result = icu::Normalizer2::getNFDInstance(status)->normalize(text, status);
  EXPECT_TRUE(U_SUCCESS(status));
  return result;
}

icu::UnicodeString nfkd(const icu::UnicodeString& text) {
  UErrorCode status = U_ZERO_ERROR;
  auto result = icu::Normalizer2::getNFKDInstance(status)->normalize(text, status);
  EXPECT_TRUE(U_SUCCESS(status));
  return result;
}

std::string name_of(UChar32 code_point) {
  char name[128];
  UErrorCode status = U_ZERO_ERROR;
  u_charName(code_point, U_UNICODE_CHAR_NAME, name, sizeof name, &status);
  return name;
}

TEST(UnicodeData, NamedReferencesAreTheirCharacters) {
  const std::map<std::string_view, std::string> other_names = {
      {"sigmaf", "GREEK SMALL LETTER FINAL SIGMA"}, {"Lambda", "GREEK CAPITAL LETTER LAMDA"},
      {"lambda", "GREEK SMALL LETTER LAMDA"},       {"ndash", "EN DASH"},
      {"ldquo", "LEFT DOUBLE QUOTATION MARK"},      {"rdquo", "RIGHT DOUBLE QUOTATION MARK"},
  };
  for (const auto& [name, code_point] : named_references) {
    std::string expected;
    if (auto other = other_names.find(name); other != other_names.end()) {
      expected = other->second;
    } else {
      expected = std::string("GREEK ") + (name[0] <= 'Z' ? "CAPITAL" : "SMALL") + " LETTER ";
      for (char c : name) expected += static_cast<char>(std::toupper(c));
    }
    EXPECT_EQ(name_of(static_cast<UChar32>(code_point)), expected) << name;
  }
}

// The Greek blocks, and the combining marks' block, are Unicode's, whole.
TEST(UnicodeData, GreekBlocksAreUnicodes) {
  const std::pair<code_point_range, UBlockCode> blocks[] = {
      {greek_blocks[0], UBLOCK_GREEK},
      {greek_blocks[1], UBLOCK_GREEK_EXTENDED},
      {combining_diacritical_marks, UBLOCK_COMBINING_DIACRITICAL_MARKS},
  };
  ASSERT_EQ(std::size(greek_blocks), 2u);
  for (const auto& [range, block] : blocks) {
    auto first = static_cast<UChar32>(range.first);
    auto last = static_cast<UChar32>(range.last);
    for (UChar32 code_point = first; code_point <= last; ++code_point)
      EXPECT_EQ(ublock_getCode(code_point), block) << std::hex << code_point;
    EXPECT_NE(ublock_getCode(first - 1), block);
    EXPECT_NE(ublock_getCode(last + 1), block);
  }
}

// Every letter with marks decomposes into its marks in the order of
// combining_marks, and those have the classes given.
TEST(UnicodeData, MarksStandInTheOrderOfTheDecompositions) {
  for (const auto& mark : grapho::combining_marks)
    EXPECT_EQ(u_getCombiningClass(static_cast<UChar32>(mark.code_point)), mark.combining_class);
  for (const auto& row : combination_table) {
    icu::UnicodeString expected(base_letters.at(row.letter));
    for (const auto& mark : grapho::combining_marks)
      if (row.marks & mark.bit) expected.append(static_cast<UChar32>(mark.code_point));
    EXPECT_EQ(nfd(icu::UnicodeString(static_cast<UChar32>(code_point_of(row.entity)))), expected)
        << row.entity;
  }
}

// Each character of the Greek blocks that Unicode holds equal to one that
// grapho writes is typed as that one, and no other character is typed.
TEST(UnicodeData, CanonicalSingletonsAreAllThereAndRight) {
  std::map<icu::UnicodeString, typing> typed_by_decomposition;
  for (const auto& character : typed_characters)
    typed_by_decomposition[nfd(icu::UnicodeString(static_cast<UChar32>(character.code_point)))] =
        character.how;
  for (auto [first, last] : greek_blocks) {
    for (auto code_point = static_cast<UChar32>(first); code_point <= static_cast<UChar32>(last);
         ++code_point) {
      auto found = typed_by_decomposition.find(nfd(icu::UnicodeString(code_point)));
      typing expected = found == typed_by_decomposition.end() ? typing{} : found->second;
      typing actual = typing_of_greek(static_cast<char32_t>(code_point));
      EXPECT_EQ(actual.role, expected.role) << std::hex << code_point;
      EXPECT_EQ(actual.key, expected.key) << std::hex << code_point;
      EXPECT_EQ(actual.marks, expected.marks) << std::hex << code_point;
    }
  }
  for (const auto& singleton : canonical_singletons)
    EXPECT_EQ(nfd(icu::UnicodeString(static_cast<UChar32>(singleton.code_point))),
              nfd(icu::UnicodeString(static_cast<UChar32>(singleton.equivalent))));
}

TEST(UnicodeData, LengthMarkedLettersAreTheirDecompositions) {
  std::set<UChar32> expected;
  for (UChar32 code_point = 0x1F00; code_point <= 0x1FFF; ++code_point) {
    icu::UnicodeString parts = nfd(icu::UnicodeString(code_point));
    if (parts.countChar32() == 2 && (parts.char32At(1) == 0x0304 || parts.char32At(1) == 0x0306))
      expected.insert(code_point);
  }
  std::set<UChar32> listed;
  for (const auto& marked : length_marked_letters) {
    listed.insert(static_cast<UChar32>(marked.code_point));
    EXPECT_EQ(nfd(icu::UnicodeString(static_cast<UChar32>(marked.code_point))),
              icu::UnicodeString(static_cast<UChar32>(marked.letter))
                  .append(static_cast<UChar32>(marked.mark)));
  }
  EXPECT_EQ(listed, expected);
}

// The check reads each character of the Greek blocks as Unicode decomposes
// it: a letter that grapho types and its marks among the seven and those of
// length; another form of a letter as that letter; any other character is no
// letter.
TEST(UnicodeData, TheCheckReadsEachGreekCharacterAsItDecomposes) {
  std::set<UChar32> letters;
  for (const auto& entry : letter_entries)
    if (is_letter(entry.key)) letters.insert(static_cast<UChar32>(code_point_of(entry.entity)));
  letters.insert(static_cast<UChar32>(code_point_of(medial_sigma_entity)));
  std::map<UChar32, unsigned> marks = {{0x0304, long_vowel}, {0x0306, short_vowel}};
  for (const auto& [code_point, bit] : combining_marks) marks[code_point] = bit;
  int read = 0;
  for (auto [first, last] : greek_blocks) {
    for (auto code_point = static_cast<UChar32>(first); code_point <= static_cast<UChar32>(last);
         ++code_point) {
      icu::UnicodeString parts = nfd(icu::UnicodeString(code_point));
      letter_with_marks expected;
      icu::UnicodeString compatible = nfkd(icu::UnicodeString(code_point));
      if (parts == icu::UnicodeString(code_point) && !letters.count(code_point) &&
          compatible.countChar32() == 1 && letters.count(compatible.char32At(0)))
        parts = compatible;
      if (letters.count(parts.char32At(0))) {
        expected.letter = static_cast<char32_t>(parts.char32At(0));
        for (int32_t i = parts.moveIndex32(0, 1); i < parts.length(); i = parts.moveIndex32(i, 1)) {
          auto mark = marks.find(parts.char32At(i));
          if (mark == marks.end()) expected = {};
          if (mark == marks.end()) break;
          expected.marks |= mark->second;
        }
      }
      letter_with_marks actual = greek_character(static_cast<char32_t>(code_point));
      EXPECT_EQ(actual.letter, expected.letter) << std::hex << code_point;
      EXPECT_EQ(actual.marks, expected.marks) << std::hex << code_point;
      read += actual.letter != 0;
    }
  }
  EXPECT_GT(read, 250);
}

}  // namespace
}  // namespace grapho
