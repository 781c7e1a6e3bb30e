// Converts real Greek typed in the transliteration and checks that the HTML
// references decode to the same text as the edition's Unicode, up to
// canonical equivalence.
#include <gtest/gtest.h>
#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include <fstream>
#include <string>

#include "convert/converter.hpp"
#include "html_references.hpp"

namespace grapho {
namespace {

// The characters the HTML references stand for, as ICU text.
icu::UnicodeString decoded(const std::string& html) {
  icu::UnicodeString text;
  for (char32_t c : decode_references(html)) text.append(static_cast<UChar32>(c));
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
    auto converted = decoded(convert_run(typed));
    EXPECT_EQ(utf8(canonical(converted)), utf8(canonical(expected))) << "typed: " << typed;
    ++count;
  }
  EXPECT_EQ(count, 39);
}

}  // namespace
}  // namespace grapho
