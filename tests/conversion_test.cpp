// Conversions in memory, each run at several buffer sizes and with each kind
// of fast path the machine has, so that a run, a pushed-back character, a line
// end or an error that straddles a buffer boundary is exercised as well as the
// usual case. With a one-byte buffer everything goes the general way; small
// buffers make the fast path stop and restart every few characters.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "check/check.hpp"
#include "convert/converter.hpp"
#include "convert/fast_path.hpp"
#include "io/output_sink.hpp"
#include "simd/instruction_set.hpp"
#include "untype/untyper.hpp"

namespace grapho {
namespace {

const std::size_t buffer_sizes[] = {1, 2, 3, 7, 40, 100, converter::default_buffer_size};

// Runs `check` once with each instruction set that this build and processor
// have, then goes back to the best.
template <typename Check>
void with_each_fast_path(Check check) {
  instruction_set best = active_instruction_set();
  for (auto set : every_instruction_set) {
    if (!force_instruction_set(set)) continue;
    SCOPED_TRACE("instruction set " + std::to_string(static_cast<int>(set)));
    check();
  }
  force_instruction_set(best);
}

struct outcome {
  std::string output;
  std::string report;  // empty after success
};

outcome convert(converter& conversion, std::string_view input, std::string_view path = "in.txt") {
  outcome result;
  memory_reader reader(input);
  string_writer writer(result.output);
  try {
    conversion.convert_stream(reader, writer, path, "in.html");
  } catch (const conversion_error& error) {
    result.report = error.report();
  }
  return result;
}

struct example {
  std::string_view input;
  std::string_view output;
};

// A byte of ASCII other than NUL, whether char is signed or not.
bool is_ascii_text(char c) {
  return c != 0 && static_cast<unsigned char>(c) < 0x80;
}

// Each output, from a source without Greek outside its runs, read back into
// typing converts to itself.
void expect_typed_back(const std::vector<example>& examples) {
  for (const auto& [input, output] : examples) {
    if (!std::all_of(input.begin(), input.end(), is_ascii_text)) continue;
    converter files;
    EXPECT_EQ(convert(files, untype(output)).output, output) << "input: " << input;
  }
}

void expect_conversions(const std::vector<example>& examples) {
  expect_typed_back(examples);
  with_each_fast_path([&] {
    for (std::size_t size : buffer_sizes) {
      for (const auto& [input, output] : examples) {
        converter conversion(size);
        auto result = convert(conversion, input);
        EXPECT_EQ(result.output, output) << "input: " << input << ", buffer size " << size;
        EXPECT_EQ(result.report, "") << "input: " << input << ", buffer size " << size;
      }
    }
  });
}

TEST(Conversion, CopiesTextAndEscapesDollar) {
  expect_conversions({
      {"", ""},
      {"plain text\nwith <b>markup</b> & \"quotes\"\n",
       "plain text\nwith <b>markup</b> & \"quotes\"\n"},
      {"a$$b", "a$b"},
      {"$$", "$"},
      {"$$$$", "$$"},
      {"price: 5$$\n", "price: 5$\n"},
      {"x$", "x"},
      {"$a$$$", "&alpha;$"},
      {"$a$$b$", "&alpha;&beta;"},
      {"$a", "&alpha;"},
      {"\xce\xbc\xe2\x80\x94\xff\x80", "\xce\xbc\xe2\x80\x94\xff\x80"},
      {std::string_view("a\0b$a\0$", 7), std::string_view("a\0b&alpha;\0", 11)},
      {"\r\n$a$\r\n", "\r\n&alpha;\r\n"},
  });
}

TEST(Conversion, TranslatesLettersAndSigns) {
  expect_conversions({
      {"$ABCDEFGHIJKLMNOPQRSTUVWXYZ$",
       "&Alpha;&Beta;&Chi;&Delta;&Epsilon;&Phi;&Gamma;&Eta;&Iota;&#x3f9;&Kappa;&Lambda;&Mu;&Nu;"
       "&Omicron;&Pi;&Theta;&Rho;&Sigma;&Tau;&Upsilon;&#x3dc;&Omega;&Xi;&Psi;&Zeta;"},
      {"$abcdefghijklmnopqrtuvwxyz$",
       "&alpha;&beta;&chi;&delta;&epsilon;&phi;&gamma;&eta;&iota;&sigmaf;&kappa;&lambda;&mu;&nu;"
       "&omicron;&pi;&theta;&rho;&tau;&upsilon;&#x3dd;&omega;&xi;&psi;&zeta;"},
      {"$Kai$", "&Kappa;&alpha;&iota;"},
      {"$a, b.$", "&alpha;, &beta;."},
      {"$a?$", "&alpha;?"},
      {"$a;$", "&alpha;&#x00b7;"},
      {"$&$", "&kappa;&alpha;&#x1f76;"},
      {"$d'$", "&delta;&#x1fbf;"},
      {"$`$", "&#x1ffe;"},
      {"$12$", "12"},
      {"$a\nb$", "&alpha;\n&beta;"},
      {"$\xce\xb1\x80$", "\xce\xb1\x80"},
      {"$!#%()*+,.:@_~\x7f$", "!#%()*+,.:@_~\x7f"},
      {"<p>$l/ogos$</p>", "<p>&lambda;&#x1f79;&gamma;&omicron;&sigmaf;</p>"},
  });
}

TEST(Conversion, ChoosesSigmaByWhatFollows) {
  expect_conversions({
      {"$l/ogos$", "&lambda;&#x1f79;&gamma;&omicron;&sigmaf;"},
      {"$s/os$", "&sigma;&#x1f79;&sigmaf;"},
      {"$ss$", "&sigma;&sigmaf;"},
      {"$s a$", "&sigmaf; &alpha;"},
      {"$s'$", "&sigmaf;&#x1fbf;"},
      {"$sS$", "&sigma;&Sigma;"},
      {"$s]$", "&sigma;]"},
      {"$s>$", "&sigma;"},  // marks pending at the end of a run are dropped
      {"$s[[a$", "&sigma;&#x301A;&alpha;"},
      {"$s{}$", "&sigma;{}"},
      {"$s\n$", "&sigmaf;\n"},
      {"$s", "&sigmaf;"},
      {"$s$$", "&sigmaf;"},  // the first "$" closes the run, the second opens one
  });
}

TEST(Conversion, PairsDashesAndBrackets) {
  expect_conversions({
      {"$a--b$", "&alpha;&ndash;&beta;"},
      {"$a-b$", "&alpha;-&beta;"},
      {"$---a$", "&ndash;-&alpha;"},
      {"$----$", "&ndash;&ndash;"},
      {"$a-$", "&alpha;-"},
      {"$a-", "&alpha;-"},
      {"$[[a]]$", "&#x301A;&alpha;&#x301B;"},
      {"$[a]$", "[&alpha;]"},
      {"${{a}}$", "&#x2329;&alpha;&#x232A;"},
      {"${a}$", "{&alpha;}"},
      {"$[]$", "[]"},
      {"$-s$", "-&sigmaf;"},
      {"$[/a$", "[&#x1f71;"},
      {"$-$$", "-"},  // the "$" after "-" closes the run, the next opens one
  });
}

TEST(Conversion, AlternatesQuotationMarksAcrossRunsAndFiles) {
  for (std::size_t size : buffer_sizes) {
    converter conversion(size);
    EXPECT_EQ(convert(conversion, "$\"a\"$").output, "&ldquo;&alpha;&rdquo;");
    EXPECT_EQ(convert(conversion, "$\"a$ and $b\"$").output, "&ldquo;&alpha; and &beta;&rdquo;");
    EXPECT_EQ(convert(conversion, "$\"$").output, "&ldquo;");
    // The quote opened by the last file is closed by the first quote of the next.
    EXPECT_EQ(convert(conversion, "$\"\"$").output, "&rdquo;&ldquo;");
    EXPECT_EQ(convert(conversion, "\"outside\" $\"$").output, "\"outside\" &rdquo;");
  }
}

TEST(Conversion, ResolvesMarksWithTheLetterThatFollows) {
  expect_conversions({
      {"$/a$", "&#x1f71;"},
      {"$>a$", "&#x1f00;"},
      {"$<|a$", "&#x1f81;"},
      {"$|<a$", "&#x1f81;"},
      {"$>/|W$", "&#x1fac;"},
      {"$//a$", "&#x1f71;"},
      {"$/ a$", " &#x1f71;"},
      {"$/-a$", "-&#x1f71;"},
      {"$/\na$", "\n&#x1f71;"},
      {"$/$", ""},
      {"$a/$", "&alpha;"},
      {"$/$ $a$", " &alpha;"},  // marks do not carry over into the next run
      {"$/aa$", "&#x1f71;&alpha;"},
      {"$=/i$", "&#x1fd3;"},
      {"$=\\u$", "&#x1fe2;"},
      {"$=I$", "&#x03aa;"},
      {"$<U$", "&#x1f59;"},
      {"$>r<r$", "&#x1fe4;&#x1fe5;"},
      {"$<R$", "&#x1fec;"},
      {"$/u/w/U/W$", "&#x1f7B;&#x1f7D;&#x1feb;&#x1ffb;"},
      {"$/E$", "&#x1fc9;"},
      {"$s/a$", "&sigma;&#x1f71;"},
      {"$m^hnin >/aeide qe\\a$",
       "&mu;&#x1fc6;&nu;&iota;&nu; &#x1f04;&epsilon;&iota;&delta;&epsilon; "
       "&theta;&epsilon;&#x1f70;"},
  });
}

// The check's first error of `input` as grapho reports an error, but for the
// message's last space, which the check leaves out; empty when there is none.
std::string first_error_of_check(std::string_view input) {
  for (const diagnostic& found : check_source(input))
    if (found.level == severity::error)
      return "in.txt:" + std::to_string(found.place.line) + ':' +
             std::to_string(found.place.column) + ' ' + found.message;
  return "";
}

std::string without_last_space(std::string_view report) {
  return std::string(report.ends_with(' ') ? report.substr(0, report.size() - 1) : report);
}

struct failure {
  std::string_view input;
  std::string_view output;  // what the output keeps
  std::string_view report;
};

TEST(Conversion, StopsAtTransliterationErrors) {
  const std::vector<failure> failures = {
      {"x$/\\a$", "x", "in.txt:1:5 Cannot mix different accents: a with acute grave "},
      {"$<>a$", "", "in.txt:1:4 Cannot mix different breathings: a with rough smooth "},
      {"$<>-$", "", "in.txt:1:4 Cannot mix different breathings: - with rough smooth "},
      {"$>/=|a$", "",
       "in.txt:1:6 More than three diacritics together: a with smooth acute diaeresis iota "
       "subscript"},
      {"$/s$", "", "in.txt:1:3 Invalid diacritic combination: s with acute "},
      {"$^A$", "", "in.txt:1:3 Invalid diacritic combination: A with circumflex "},
      {"$>/b$", "", "in.txt:1:4 Invalid diacritic combination: b with smooth acute "},
      {"$>U$", "", "in.txt:1:3 Invalid diacritic combination: U with smooth "},
      {"$>R$", "", "in.txt:1:3 Invalid diacritic combination: R with smooth "},
      {"$^e$", "", "in.txt:1:3 Invalid diacritic combination: e with circumflex "},
      {"$|o$", "", "in.txt:1:3 Invalid diacritic combination: o with iota subscript"},
      // The checks run before every character, so a conflict stops at the next one.
      {"$<>/a$", "", "in.txt:1:4 Cannot mix different breathings: / with rough smooth "},
      {"$/\\<a$", "", "in.txt:1:4 Cannot mix different accents: < with acute grave "},
      // Breathings are checked before the count, accents before the count.
      {"$/=><a$", "",
       "in.txt:1:6 Cannot mix different breathings: a with rough smooth acute "
       "diaeresis "},
      {"$>/=\\a$", "",
       "in.txt:1:6 Cannot mix different accents: a with smooth acute grave "
       "diaeresis "},
      // Non-letters are written before the letter fails: the output keeps them.
      {"ok\n$a /b$", "ok\n&alpha; ", "in.txt:2:5 Invalid diacritic combination: b with acute "},
      // Tabs and the bytes of UTF-8 characters count one column each; a CR is
      // an ordinary character.
      {"<p>$x$</p>\n$ks\n\t\xce\xb1 /\\\r\n", "<p>&xi;</p>\n&kappa;&sigmaf;\n\t\xce\xb1 ",
       "in.txt:3:7 Cannot mix different accents: \r with acute grave "},
      // A conflict seen at a line end names the line end and points at it, one
      // column past the last character of its line.
      {"$/\\\na$", "", "in.txt:1:4 Cannot mix different accents: \n with acute grave "},
      {std::string_view("$/\\\0$", 5), "",
       std::string_view("in.txt:1:4 Cannot mix different accents: \0 with acute grave ", 60)},
      // Characters read again after "s", "-" and the opening "$" keep their
      // place: the position is that of the character itself.
      {"$sa-b/\\a$", "&sigma;&alpha;-&beta;",
       "in.txt:1:8 Cannot mix different accents: a with acute grave "},
      {"$s\n/\\a$", "&sigmaf;\n", "in.txt:2:3 Cannot mix different accents: a with acute grave "},
      {"$a\n\n  <>b$", "&alpha;\n\n  ",
       "in.txt:3:5 Cannot mix different breathings: b with rough smooth "},
      {"$l/ogos$ and $>/b$", "&lambda;&#x1f79;&gamma;&omicron;&sigmaf; and ",
       "in.txt:1:17 Invalid diacritic combination: b with smooth acute "},
  };
  // The check, which goes on past errors, finds each first, where grapho does.
  for (const auto& [input, output, report] : failures)
    EXPECT_EQ(first_error_of_check(input), without_last_space(report)) << "input: " << input;
  with_each_fast_path([&] {
    for (std::size_t size : buffer_sizes) {
      for (const auto& [input, output, report] : failures) {
        converter conversion(size);
        auto result = convert(conversion, input);
        EXPECT_EQ(result.report, report) << "input: " << input << ", buffer size " << size;
        EXPECT_EQ(result.output, output) << "input: " << input << ", buffer size " << size;
      }
    }
  });
  // Line ends counted over many blocks of a large buffer, the last line long;
  // and more line ends in a row than a count of one byte holds.
  std::string long_lines;
  for (int line = 0; line < 500; ++line) long_lines += std::string(70, 'x') + '\n';
  long_lines += std::string(300, 'y') + "$>/b$";
  const std::string empty_lines = std::string(20'000, '\n') + "$>/b$";
  const std::vector<failure> long_failures = {
      {long_lines, "", "in.txt:501:304 Invalid diacritic combination: b with smooth acute "},
      {empty_lines, "", "in.txt:20001:4 Invalid diacritic combination: b with smooth acute "},
  };
  with_each_fast_path([&] {
    for (const auto& [input, output, report] : long_failures) {
      converter conversion(converter::default_buffer_size);
      EXPECT_EQ(convert(conversion, input).report, report);
    }
  });
}

// With a one-byte buffer every character takes the translator's general path;
// with larger buffers most take the fast path, of each kind. All must agree on
// every byte written and on every message, position included, and the check's
// first error with them.
TEST(Conversion, FastAndGeneralPathsAgree) {
  const std::string_view alphabet = "aehiouwAEIOUWrRsbqk$$\n\n  <>/\\^=|-[]{}\"';&.?\xce";
  std::mt19937 random(7);
  for (int trial = 0; trial < 3000; ++trial) {
    std::string input(std::uniform_int_distribution<std::size_t>(0, 300)(random), ' ');
    for (char& c : input)
      c = alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random)];
    converter general_path(1);
    outcome expected = convert(general_path, input);
    ASSERT_EQ(first_error_of_check(input), without_last_space(expected.report))
        << "input: " << input;
    with_each_fast_path([&] {
      for (std::size_t size : {2, 40, 100, 4096}) {
        converter conversion(size);
        outcome result = convert(conversion, input);
        ASSERT_EQ(result.output, expected.output) << "input: " << input << ", buffer size " << size;
        ASSERT_EQ(result.report, expected.report) << "input: " << input << ", buffer size " << size;
      }
    });
  }
}

// A plain run, letters with up to three marks wherever in a block they fall,
// goes through the fast path whole, up to the last byte, which it leaves for
// the byte after it to be read. It stops at the marks of a letter that has no
// text with them, and with little room for output it translates less, never
// writing past the room.
TEST(Conversion, FastPathTakesPlainRunsWhole) {
  std::string input = "<p>$";
  while (input.size() < 1000) input += "m^hnin >/aeide qe\\a Phlh=i/adew >Acil^hos <^|w >/|h, ";
  input += "$</p>";
  converter general_path(1);
  const std::string expected = convert(general_path, input).output;
  const auto* bytes = reinterpret_cast<const unsigned char*>(input.data());
  with_each_fast_path([&] {
    std::string output(fast_path_room(input.size()), '\0');
    fast_path_progress progress = translate_span({bytes, input.size()}, output, false);
    EXPECT_EQ(progress.read, input.size() - 1);
    EXPECT_EQ(output.substr(0, progress.written), expected.substr(0, expected.size() - 1));
    EXPECT_FALSE(progress.in_run);

    // A letter whose marks have no text stops the fast path at its first mark:
    // a consonant, capitals, and small letters with marks each of which it
    // takes, but not together.
    for (std::string_view marked : {">/b", "^A", "/|A", "<=i", "|e", ">U"}) {
      std::string bad = input.substr(0, 150) + std::string(marked) + input.substr(150);
      progress = translate_span({reinterpret_cast<const unsigned char*>(bad.data()), bad.size()},
                                output, false);
      EXPECT_EQ(progress.read, 150u) << marked;
      EXPECT_EQ(output.substr(0, progress.written),
                convert(general_path, input.substr(0, 150)).output);
      EXPECT_TRUE(progress.in_run);
    }

    std::string small(fast_path_room(100), '\0');
    progress = translate_span({bytes, input.size()}, small, false);
    EXPECT_GE(progress.read, 100u);
    EXPECT_LE(progress.written, small.size());
    EXPECT_EQ(small.substr(0, progress.written), expected.substr(0, progress.written));
  });
}

// Records the pieces it is given, and fails from the write numbered `failing`
// (from 0) on.
class recording_writer final : public byte_writer {
 public:
  explicit recording_writer(std::size_t failing = SIZE_MAX) : failing_(failing) {}
  void write(const char* data, std::size_t size) override {
    if (pieces.size() >= failing_) throw write_failure{};
    pieces.emplace_back(data, size);
  }
  std::vector<std::string> pieces;

 private:
  std::size_t failing_;
};

// Writes numbers one character, one text or one reserved room at a time.
void write_numbers(output_sink& sink) {
  for (int i = 0; i < 200; ++i) {
    std::string number = std::to_string(i) + ' ';
    if (i % 3 == 0) {
      for (char c : number) sink.put(c);
    } else if (i % 3 == 1) {
      sink.write(number);
    } else {
      std::span<char> room = sink.reserve(1);
      sink.commit(room.data() + number.copy(room.data(), std::min(room.size(), number.size())));
      sink.write(std::string_view(number).substr(std::min(room.size(), number.size())));
    }
  }
}

// With a spare buffer a thread writes each full buffer while the other fills:
// the writer gets the pieces it gets without one, in order. A failed write
// stops the writing and is thrown by the next buffer sent or the final flush.
TEST(OutputSink, WritesTheSamePiecesInTheBackground) {
  for (std::size_t size : {1, 2, 7, 40, 300}) {
    std::string buffer(size, '\0');
    std::string spare(size, '\0');
    recording_writer in_turn;
    {
      output_sink sink(in_turn, buffer);
      write_numbers(sink);
      sink.flush();
    }
    recording_writer in_background;
    {
      output_sink sink(in_background, buffer, spare);
      write_numbers(sink);
      sink.flush();
    }
    EXPECT_EQ(in_background.pieces, in_turn.pieces) << "buffer size " << size;

    for (std::size_t failing : {std::size_t{0}, in_turn.pieces.size() / 2,
                                in_turn.pieces.size() - 2, in_turn.pieces.size() - 1}) {
      recording_writer failing_writer(failing);
      output_sink sink(failing_writer, buffer, spare);
      EXPECT_THROW(
          {
            write_numbers(sink);
            sink.flush();
          },
          write_failure)
          << "buffer size " << size << ", failing write " << failing;
      EXPECT_EQ(failing_writer.pieces.size(), failing) << "buffer size " << size;
    }
  }
}

// The report of a conversion into `writer`.
std::string report_of(converter& conversion, std::string_view input, recording_writer& writer) {
  memory_reader reader(input);
  try {
    conversion.convert_stream(reader, writer, "in.txt", "in.html");
  } catch (const conversion_error& failure) {
    return failure.report();
  }
  return "";
}

// Writing in turn, a write that fails before an error is met stops the
// conversion there, and only the failure to save what was written before the
// error follows it: in the background too. With a one-byte buffer the output
// is written every few characters.
TEST(Conversion, ReportsAFailedWriteAfterTheErrorOnlyWhenItComesLast) {
  const std::string input = std::string(100, 'x') + "$/\\a$";
  const std::string error = "in.txt:1:104 Cannot mix different accents: a with acute grave ";
  const std::string cannot_write = "in.txt:1:1 Cannot write file in.html";
  converter conversion(1);
  recording_writer whole;
  ASSERT_EQ(report_of(conversion, input, whole), error);
  const std::size_t last = whole.pieces.size() - 1;
  ASSERT_GE(last, 2u);
  for (const auto& [failing, report] : std::vector<std::pair<std::size_t, std::string>>{
           {0, cannot_write}, {last - 1, cannot_write}, {last, error + '\n' + cannot_write}}) {
    recording_writer writer(failing);
    EXPECT_EQ(report_of(conversion, input, writer), report) << "failing write " << failing;
  }
}

}  // namespace
}  // namespace grapho
