// Converts real Greek typed in the transliteration and checks that the HTML
// references decode to the same text as the edition's Unicode, up to
// canonical equivalence; reads Unicode Greek back into typing, which converts
// to the same text again; and checks the accents of the editions' text,
// composed and decomposed alike.
#include <gtest/gtest.h>
#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "check/unicode_text.hpp"
#include "convert/converter.hpp"
#include "files.hpp"
#include "greek/unicode_data.hpp"
#include "html_references.hpp"
#include "untype/untyper.hpp"

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

icu::UnicodeString composed(const icu::UnicodeString& text) {
  UErrorCode status = U_ZERO_ERROR;
  auto result = icu::Normalizer2::getNFCInstance(status)->normalize(text, status);
  EXPECT_TRUE(U_SUCCESS(status));
  return result;
}

// What a browser shows for UTF-8 text with grapho's references in it.
icu::UnicodeString shown(std::string_view html) {
  icu::UnicodeString text;
  std::size_t plain = 0;
  for (std::size_t at = html.find('&'); at != std::string_view::npos; at = html.find('&', at + 1)) {
    std::size_t end = html.find(';', at);
    if (end == std::string_view::npos || end - at > 10) continue;
    icu::UnicodeString character;
    try {
      character = decoded(std::string(html.substr(at, end - at + 1)));
    } catch (const std::invalid_argument&) {
      continue;  // not a reference grapho writes: shown as it stands
    }
    text.append(icu::UnicodeString::fromUTF8(html.substr(plain, at - plain))).append(character);
    plain = end + 1;
    at = end;
  }
  return text.append(icu::UnicodeString::fromUTF8(html.substr(plain)));
}

std::string utf8(const icu::UnicodeString& text) {
  std::string bytes;
  return text.toUTF8String(bytes);
}

std::string convert(const std::string& input) {
  std::string output;
  memory_reader reader(input);
  string_writer writer(output);
  converter().convert_stream(reader, writer, "reference", "reference.html");
  return output;
}

std::string convert_run(const std::string& typed) {
  return convert("$" + typed + "$");
}

// grapho, converting what ungrapho makes of `text`, gives what shows as `text`.
void expect_typed_back(const std::string& text) {
  std::string typed = untype(text);
  EXPECT_EQ(utf8(composed(shown(convert(typed)))), utf8(composed(shown(text))))
      << "text: " << text << "\ntyped: " << typed;
}

TEST(ReferenceText, HomerAndPlatoConvertToTheEditionsText) {
  const auto pairs = read_line_pairs(GRAPHO_TEST_DATA_DIR "/greek-reference.txt");
  ASSERT_EQ(pairs.size(), 39u);
  for (const auto& [typed, edition] : pairs) {
    auto expected = icu::UnicodeString::fromUTF8(edition);
    // The edition marks elision with U+02BC; grapho's apostrophe gives the
    // spacing smooth breathing U+1FBF, which Greek fonts draw alike. Inside a
    // run ";" is the upper stop, so the question mark is typed as "?".
    expected.findAndReplace(icu::UnicodeString(static_cast<UChar32>(0x02BC)),
                            icu::UnicodeString(static_cast<UChar32>(0x1FBF)));
    expected.findAndReplace(";", "?");
    auto converted = decoded(convert_run(typed));
    EXPECT_EQ(utf8(canonical(converted)), utf8(canonical(expected))) << "typed: " << typed;
  }
}

// The editions' text, composed and decomposed, comes back as typing with not a
// Greek character left, and converts to the same text again.
TEST(ReferenceText, HomerAndPlatoAreTypedBack) {
  const auto pairs = read_line_pairs(GRAPHO_TEST_DATA_DIR "/greek-reference.txt");
  ASSERT_FALSE(pairs.empty());
  for (const auto& pair : pairs) {
    auto text = icu::UnicodeString::fromUTF8(pair.second);
    for (const auto& form : {text, canonical(text)}) {
      std::string page = "<p>" + utf8(form) + "</p>";
      expect_typed_back(page);
      auto back = icu::UnicodeString::fromUTF8(untype(page));
      for (int32_t i = 0; i < back.length(); i = back.moveIndex32(i, 1)) {
        UChar32 c = back.char32At(i);
        auto code_point = static_cast<char32_t>(c);
        EXPECT_FALSE(in_greek_blocks(code_point) || is_combining_diacritic(code_point))
            << "left as Greek: U+" << std::hex << c << " in " << utf8(back);
      }
    }
  }
}

// Random Unicode Greek: letters and marks in any order, composed or not, with
// grapho's references, quotation marks, dashes and other text between them.
TEST(ReferenceText, AnyTextShowsTheSameTypedBack) {
  const std::vector<std::string> pieces = {
      "\u03b1",  "\u03b5",  "\u03b9",  "\u03c5",  "\u03c9",   "\u03a9",  "\u03c1",   "\u03a1",
      "\u03c3",  "\u03c2",  "\u03b2",  "\u0313",  "\u0314",   "\u0301",  "\u0300",   "\u0342",
      "\u0308",  "\u0345",  "\u0304",  "\u0323",  "\u1f04",   "\u1fb3",  "\u03ac",   "\u0390",
      "\u0387",  "\u1fbe",  "\u1fbf",  "\u1fb1",  "\u03da",   "\u2126",  "\u201c",   "\u2013",
      "&ldquo;", "&rdquo;", "&ndash;", "&sigma;", "&sigmaf;", "&alpha;", "&#x1f71;", "&#x301A;",
      "-",       "[",       "]",       "{",       " ",        "\n",      "a",        "s",
      "$",       "\"",      ";",       "'",       "&",        "\xff"};
  std::mt19937 random(2);
  for (int trial = 0; trial < 3000; ++trial) {
    std::string text;
    for (int i = std::uniform_int_distribution<int>(0, 30)(random); i > 0; --i)
      text += pieces[std::uniform_int_distribution<std::size_t>(0, pieces.size() - 1)(random)];
    expect_typed_back(text);
    if (HasFailure()) return;
  }
}

// The codes the check finds in `text`, in order.
std::string accent_findings(const icu::UnicodeString& text) {
  diagnostic_list found;
  check_unicode_text(utf8(text), found);
  std::string codes;
  for (const auto& d : std::move(found).in_source_order()) codes += std::string(d.code) + " ";
  return codes;
}

// The editions' accents are right: the check finds nothing in them, composed
// or decomposed; with every grave made an acute, it finds the same mistakes
// in both forms.
TEST(ReferenceText, TheCheckReadsTheEditionsComposedAndDecomposedAlike) {
  int mistaken_lines = 0;
  for (const auto& [typed, edition] :
       read_line_pairs(GRAPHO_TEST_DATA_DIR "/greek-reference.txt")) {
    auto text = icu::UnicodeString::fromUTF8(edition);
    EXPECT_EQ(accent_findings(composed(text)), "") << edition;
    EXPECT_EQ(accent_findings(canonical(text)), "") << edition;
    auto mistaken = canonical(text);
    mistaken.findAndReplace(icu::UnicodeString(static_cast<UChar32>(0x0300)),
                            icu::UnicodeString(static_cast<UChar32>(0x0301)));
    std::string in_composed = accent_findings(composed(mistaken));
    EXPECT_EQ(in_composed, accent_findings(mistaken)) << edition;
    mistaken_lines += in_composed.find("acute-before-word") != std::string::npos;
  }
  EXPECT_GT(mistaken_lines, 30);
}

// Each Greek run of the example, as grapho writes it, has its accents right.
TEST(ReferenceText, TheCheckFindsNothingInTheExamplesGreek) {
  const std::string source = read_file(GRAPHO_EXAMPLES_DIR "/quotations.txt");
  int runs = 0;
  for (std::size_t open = source.find('$'); open != std::string::npos;
       open = source.find('$', open + 1)) {
    if (source.compare(open, 2, "$$") == 0) {
      ++open;
      continue;
    }
    std::size_t close = source.find('$', open + 1);
    ASSERT_NE(close, std::string::npos);
    std::string run = source.substr(open, close - open + 1);
    EXPECT_EQ(accent_findings(shown(convert(run))), "") << run;
    ++runs;
    open = close;
  }
  EXPECT_GT(runs, 10);
}

}  // namespace
}  // namespace grapho
