// Converts real Greek typed in the transliteration and checks that the HTML
// references decode to the same text as the edition's Unicode, up to
// canonical equivalence.
#include <gtest/gtest.h>
#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include <fstream>
#include <map>
#include <string>

#include "convert/converter.hpp"

namespace grapho {
namespace {

// HTML's named references for what grapho writes by name.
const std::map<std::string, UChar32> named_references = {
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

// Replaces every "&name;" and "&#xhhhh;" by its character.
icu::UnicodeString decode_references(const std::string& html) {
  icu::UnicodeString text;
  for (std::size_t i = 0; i < html.size(); ++i) {
    std::size_t end = html.find(';', i);
    if (html[i] != '&' || end == std::string::npos) {
      text.append(static_cast<UChar>(static_cast<unsigned char>(html[i])));
      continue;
    }
    std::string name = html.substr(i + 1, end - i - 1);
    if (name.starts_with("#x")) {
      text.append(static_cast<UChar32>(std::stoul(name.substr(2), nullptr, 16)));
    } else {
      auto found = named_references.find(name);
      EXPECT_NE(found, named_references.end()) << "unknown reference &" << name << ";";
      if (found != named_references.end()) text.append(found->second);
    }
    i = end;
  }
  return text;
}

icu::UnicodeString canonical(const icu::UnicodeString& text) {
  UErrorCode status = U_ZERO_ERROR;
  auto result = icu::Normalizer2::getNFDInstance(status)->normalize(text, status);
  EXPECT_TRUE(U_SUCCESS(status));
  return result;
}

std::string utf8(const icu::UnicodeString& text) {
  std::string bytes;
  return text.toUTF8String(bytes);
}

std::string convert_run(const std::string& typed) {
  std::string input = "$" + typed + "$", output;
  memory_reader reader(input);
  string_writer writer(output);
  converter().convert_stream(reader, writer, "reference", "reference.html");
  return output;
}

TEST(ReferenceText, HomerAndPlatoConvertToTheEditionsText) {
  std::ifstream pairs(GRAPHO_TEST_DATA_DIR "/greek-reference.txt");
  ASSERT_TRUE(pairs) << "missing test data";
  std::string typed, edition;
  int count = 0;
  while (std::getline(pairs, typed) && std::getline(pairs, edition)) {
    auto expected = icu::UnicodeString::fromUTF8(edition);
    // The edition marks elision with U+02BC; grapho's apostrophe gives the
    // spacing smooth breathing U+1FBF, which Greek fonts draw alike. Inside a
    // run ";" is the upper stop, so the question mark is typed as "?".
    expected.findAndReplace(icu::UnicodeString(static_cast<UChar32>(0x02BC)),
                            icu::UnicodeString(static_cast<UChar32>(0x1FBF)));
    expected.findAndReplace(";", "?");
    auto converted = decode_references(convert_run(typed));
    EXPECT_EQ(utf8(canonical(converted)), utf8(canonical(expected))) << "typed: " << typed;
    ++count;
  }
  EXPECT_EQ(count, 39);
}

}  // namespace
}  // namespace grapho
