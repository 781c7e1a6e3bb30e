// Reading Greek back into typing: the hard cases, and the promises that
// grapho gives back what ungrapho reads (grapho's own output byte for byte),
// that text without Greek is copied, and that what grapho writes comes back
// as typing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "convert/converter.hpp"
#include "files.hpp"
#include "untype/untyper.hpp"

namespace grapho {
namespace {

std::string grapho_of(std::string_view typed) {
  std::string output;
  memory_reader reader(typed);
  string_writer writer(output);
  converter().convert_stream(reader, writer, "typed", "typed.html");
  return output;
}

// Hands out its bytes one at a time, so that every piece straddles a read.
class trickling_reader final : public byte_reader {
 public:
  explicit trickling_reader(std::string_view bytes) : rest_(bytes) {}
  std::size_t read(unsigned char* buffer, std::size_t capacity) override {
    if (rest_.empty() || capacity == 0) return 0;
    buffer[0] = static_cast<unsigned char>(rest_[0]);
    rest_.remove_prefix(1);
    return 1;
  }

 private:
  std::string_view rest_;
};

std::string untype_trickling(std::string_view text) {
  std::string typed;
  trickling_reader reader(text);
  string_writer writer(typed);
  untyper().untype_stream(reader, writer);
  return typed;
}

struct reading {
  std::string_view text;
  std::string_view typed;
};

// What grapho writes, and Unicode Greek, with the typing they give: each
// converts back to its text (byte for byte where it is grapho's output).
TEST(Untype, HardCases) {
  const std::vector<reading> readings = {
      // Words, and what stands between them inside the run.
      {"<p>&mu;&#x1fc6;&nu;&iota;&nu; &#x1f04;&epsilon;&iota;&delta;&epsilon;.</p>",
       "<p>$m^hnin >/aeide$.</p>"},
      {"&alpha;, 12 &beta;\n&gamma;", "$a, 12 b\ng$"},
      {"&kappa;&alpha;&#x1f76;", "$ka\\i$"},
      {"&delta;&#x1fbf; &#x1ffe;&#x00b7;", "$d' `;$"},
      // Sigma before a space, a bracket, a line end, a mark, a Latin letter.
      {"&lambda;&#x1f79;&gamma;&omicron;&sigmaf; &sigma;&#x1f79;&sigmaf;", "$l/ogos s/os$"},
      {"&alpha;&sigma; &beta;", "$a$&sigma; $b$"},
      {"&sigma; &alpha;", "&sigma; $a$"},
      {"&alpha;&sigma;&#x301B;", "$as]]$"},
      {"&alpha;&sigmaf;&#x301B;", "$aj]]$"},
      {"&alpha;&sigma;] &beta;", "$as] b$"},
      {"&alpha;&sigmaf;] &beta;", "$aj] b$"},
      {"&alpha;&sigmaf;]", "$as$]"},
      {"&alpha;&sigmaf;\n&beta;", "$as\nb$"},
      {"&alpha;&sigma;\n&beta;", "$a$&sigma;\n$b$"},
      {"&alpha;&sigma;[", "$as[$"},
      {"&sigma;&sigma;&sigmaf;", "$sss$"},
      {"&alpha;&sigma;x", "$a$&sigma;x"},
      {"&alpha;&sigmaf;x", "$as$x"},
      {"&alpha;&sigmaf;&#x1fbf;", "$as'$"},
      {"&alpha;&sigma;&#x1fbf;", "$a$&sigma;$'$"},
      // Quotation marks with the alternation and against it.
      {"&ldquo;&alpha;&rdquo; &ldquo;&beta;", "$\"a\" \"b$"},
      {"&rdquo;&alpha;", "&rdquo;$a$"},
      {"&ldquo;&alpha;&ldquo;", "$\"a$&ldquo;"},
      {"&ldquo; &alpha; &ldquo;&ldquo;&beta;", "&ldquo; $a \"$&ldquo;$b$"},
      // Dashes and brackets, single and doubled, beside each other.
      {"&alpha;&ndash;&beta; &alpha;-&beta;", "$a--b a-b$"},
      {"&alpha;&ndash;-&beta;", "$a---b$"},
      {"&alpha;-&ndash;&beta;", "$a$-$--b$"},
      {"&alpha;--&beta;", "$a$--$b$"},
      {"&#x301A;&alpha;&#x301B; [&alpha;] &#x2329;&beta;&#x232A;", "$[[a]] [a] {{b}}$"},
      {"&alpha;[&#x301A;&beta;", "$a$[$[[b$"},
      // Punctuation is typed only in a Greek passage: English stays as it was.
      {"1&ndash;7", "1&ndash;7"},
      {"10&ndash;12, &ldquo;quoted&rdquo;", "10&ndash;12, &ldquo;quoted&rdquo;"},
      {"&ndash; x &alpha; &ndash; x", "&ndash; x $a --$ x"},
      {"&#x301A;1&#x301B; &#x2329;&alpha;&#x232A;", "&#x301A;1&#x301B; ${{a}}$"},
      // The upper stop, as grapho writes it, in UTF-8 and as the Greek ano teleia.
      {"&alpha;&#x00b7; &beta;&#x00b7;", "$a; b;$"},
      {"Home &#x00b7; About", "Home &#x00b7; About"},
      {"\xce\xb1\xc2\xb7 \xce\xb2\xce\x87 l\xc2\xb7l", "$a; b;$ l\xc2\xb7l"},
      // Among references, which grapho writes for the one it types, an upper
      // stop written as a character stands as it came.
      {"&alpha;&beta;\xc2\xb7\n&#x1f00;&lambda; \xc2\xb7&alpha; \xce\xb1\xce\x87",
       "$ab$\xc2\xb7\n$>al$ \xc2\xb7$a a;$"},
      {"\xce\xbb &alpha;&beta;&gamma;&delta; &alpha;&beta;&gamma;&delta; &alpha;&beta;&gamma;"
       "&delta;\xc2\xb7 and the rest of the line",
       "$l abgd abgd abgd$\xc2\xb7 and the rest of the line"},
      // Latin words and dollar signs beside Greek.
      {"&mu;&#x1fc6;&nu;&iota;&nu; and &#x1f04;", "$m^hnin$ and $>/a$"},
      {"$&alpha;$", "$$$a$$$"},
      {"5$ &alpha;", "5$$ $a$"},
      // Marks on capitals, the digamma, the lunate sigma.
      {"&#x1f0c; &#x1f8f; &#x1fbc; &#x3dc;&#x3dd; &#x3f9;", "$>/A <^|A |A Vv J$"},
      // Other spellings of references are copied.
      {"&#x1F00; &#X3B1; &#945; &alpha &amp;", "&#x1F00; &#X3B1; &#945; &alpha &amp;"},
      // Unicode Greek: composed, decomposed, marks in another canonical order.
      {"μῆνιν ἄειδε", "$m^hnin >/aeide$"},
      {"\xce\xb1\xcc\x93\xcc\x81 \xce\xb1\xcd\x85\xcc\x93\xcc\x81", "$>/a >/|a$"},
      {"\xe1\xbc\x80\xcc\x81 \xce\xac\xcd\x85 \xce\x90", "$>/a /|a =/i$"},
      // Not canonically equivalent to a letter grapho writes: as it came.
      {"\xce\xb1\xcc\x81\xcc\x93 \xce\xb1", "\xce\xb1\xcc\x81\xcc\x93 $a$"},
      {"\xce\xb1\xcc\x81\xcc\x81 \xce\xb5\xcd\x82", "\xce\xb1\xcc\x81\xcc\x81 \xce\xb5\xcd\x82"},
      {"\xe1\xbe\xb1 \xce\xb1\xcc\x84 \xce\xb2\xcc\x81",
       "\xe1\xbe\xb1 \xce\xb1\xcc\x84 \xce\xb2\xcc\x81"},
      {"\xcf\x9a \xcc\x81 \xe2\x80\x93\xe2\x80\x9c", "\xcf\x9a \xcc\x81 \xe2\x80\x93\xe2\x80\x9c"},
      // Punctuation in Unicode stays as it came, in the run.
      {"\xce\xb1\xe2\x80\x93\xce\xb2 \xce\xb1\xca\xbc \xce\xb2",
       "$a\xe2\x80\x93"
       "b a\xca\xbc b$"},
      // Malformed UTF-8 and NUL bytes are copied.
      {std::string_view("\xff\0\xce", 3), std::string_view("\xff\0\xce", 3)},
  };
  for (const auto& [text, typed] : readings) {
    EXPECT_EQ(untype(text), typed) << "text: " << text;
    EXPECT_EQ(untype_trickling(text), typed) << "text: " << text;
    bool ascii = std::all_of(text.begin(), text.end(),
                             [](char c) { return c != 0 && static_cast<unsigned char>(c) < 0x80; });
    if (ascii) {
      EXPECT_EQ(grapho_of(typed), text) << "typed: " << typed;
    }
  }
}

// The alternation of quotes carries from one stream to the next, as grapho's
// does from file to file.
TEST(Untype, CarriesTheQuotationFromStreamToStream) {
  untyper typist;
  auto untype_next = [&](std::string_view text) {
    std::string typed;
    memory_reader reader(text);
    string_writer writer(typed);
    typist.untype_stream(reader, writer);
    return typed;
  };
  EXPECT_EQ(untype_next("&ldquo;&alpha;"), "$\"a$");
  EXPECT_TRUE(typist.quotation_open());
  EXPECT_EQ(untype_next("&ldquo; &beta;"), "&ldquo; $b$");
  EXPECT_EQ(untype_next("&beta;&rdquo;"), "$b\"$");
  EXPECT_FALSE(typist.quotation_open());
}

// Text with no Greek comes back byte for byte, but for each "$" doubled.
TEST(Untype, CopiesTextWithoutGreek) {
  const std::string_view pieces[] = {"a",
                                     " ",
                                     "\n",
                                     "$",
                                     "&",
                                     "&amp;",
                                     "-",
                                     "--",
                                     "[[",
                                     "\"",
                                     "s",
                                     "<p>",
                                     ";",
                                     "\r\n",
                                     "\xe2\x80\x94",
                                     "\xe2\x80\x93",
                                     "\xc3\xa9",
                                     "e\xcc\x81",
                                     "\xff",
                                     std::string_view("\0", 1),
                                     "\xe2\x80\x9c",
                                     "\xc2\xb7",
                                     "&ndash;",
                                     "&ldquo;",
                                     "&rdquo;",
                                     "&#x00b7;",
                                     "&#x301A;",
                                     "\xe2\x84\xa6"};
  std::mt19937 random(24);
  for (int trial = 0; trial < 500; ++trial) {
    std::string text, expected;
    for (int i = std::uniform_int_distribution<int>(0, 40)(random); i > 0; --i) {
      auto piece =
          pieces[std::uniform_int_distribution<std::size_t>(0, std::size(pieces) - 1)(random)];
      text += piece;
      expected += piece == "$" ? "$$" : piece;
    }
    ASSERT_EQ(untype(text), expected) << "text: " << text;
  }
}

// The share of grapho's references that come back as typing, from sources
// typed at random: `untyped` counts those that do not.
struct reference_count {
  std::size_t references = 0;
  std::size_t untyped = 0;
};

void count_references(std::string_view text, std::size_t& count) {
  for (std::size_t at = text.find('&'); at != std::string_view::npos; at = text.find('&', at + 1))
    ++count;
}

// grapho's output of a source with no Greek outside its runs comes back, and
// almost all of its references as typing: all but punctuation outside the
// Greek passages (a quotation mark with no Greek right after it, and the marks
// that alternate after it).
TEST(Untype, GraphoOutputComesBack) {
  const std::string_view alphabet = "aehiouwAEIOUWrRsbqkjx$$\n\n   <>/\\^|-[]{}\"';`.?,";
  std::mt19937 random(42);
  reference_count counts;
  for (int trial = 0; trial < 3000; ++trial) {
    std::string source(std::uniform_int_distribution<std::size_t>(0, 200)(random), ' ');
    for (char& c : source)
      c = alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random)];
    // A fresh grapho, whose quotation state ungrapho starts from.
    converter files;
    std::string output;
    memory_reader reader(source);
    string_writer writer(output);
    try {
      files.convert_stream(reader, writer, "in.txt", "in.html");
    } catch (const conversion_error&) {
      continue;  // a transliteration error: not grapho's output
    }
    std::string typed = untype(output);
    ASSERT_EQ(grapho_of(typed), output) << "source: " << source;
    count_references(output, counts.references);
    for (std::size_t at = typed.find('&'); at != std::string::npos; at = typed.find('&', at + 1))
      ++counts.untyped;
  }
  EXPECT_GT(counts.references, 5000u);
  EXPECT_LT(counts.untyped * 50, counts.references) << counts.untyped << " untyped";
}

// The example page and real Homer and Plato come back byte for byte, every
// reference typed.
TEST(Untype, ExampleAndReferenceTextComeBack) {
  const std::string page = read_file(GRAPHO_EXAMPLES_DIR "/quotations.html");
  ASSERT_FALSE(page.empty());
  EXPECT_EQ(grapho_of(untype(page)), page);

  const auto pairs = read_line_pairs(GRAPHO_TEST_DATA_DIR "/greek-reference.txt");
  ASSERT_FALSE(pairs.empty());
  for (const auto& pair : pairs) {
    std::string output = grapho_of("<p>$" + pair.first + "$</p>");
    std::string back = untype(output);
    EXPECT_EQ(grapho_of(back), output) << pair.first;
    EXPECT_EQ(back.find('&'), std::string::npos) << back;
  }
}

// A stretch between Greek words too long to wait on closes the run.
TEST(Untype, LongStretchesCloseTheRun) {
  const std::string spaces(100000, ' ');
  EXPECT_EQ(untype("&alpha;" + spaces + "&beta;"), "$a$" + spaces + "$b$");
  const std::string dashes = [] {
    std::string many;
    for (int i = 0; i < 1000; ++i) many += "&ndash;";
    return many;
  }();
  std::string typed = untype("&alpha;" + dashes + "&beta;");
  EXPECT_EQ(grapho_of(typed), "&alpha;" + dashes + "&beta;");
}

}  // namespace
}  // namespace grapho
