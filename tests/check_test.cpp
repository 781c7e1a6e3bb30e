// The check of every mistake: each warning with a near miss that must not
// warn, sources with several mistakes and their full lists, no diagnostic on
// real text, and the JSON that carries them. That its first error is grapho's
// is held in conversion_test.cpp, over the conversion's own cases.
#include "check/check.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "check/json.hpp"
#include "check/warnings.hpp"
#include "files.hpp"

namespace grapho {
namespace {

// The warnings of typing, the others switched off: those of accentuation
// have tests of their own.
check_options typing_only() {
  const std::string_view typing[] = {"open-run",       "dollar-after-digit", "marks-apart",
                                     "marks-dropped",  "beta-code",          "latin-question-mark",
                                     "quote-left-open"};
  check_options options;
  for (const auto& kind : warning_kinds)
    if (std::find(std::begin(typing), std::end(typing), kind.code) == std::end(typing))
      options.warnings.set(kind.code, false);
  return options;
}

// Each diagnostic as "line:column code", its notes after it as "(note
// line:column)", separated by "; ".
std::string summary(const std::vector<diagnostic>& found) {
  auto place = [](text_place at) {
    return std::to_string(at.line) + ':' + std::to_string(at.column);
  };
  std::string text;
  for (const diagnostic& each : found) {
    text += (text.empty() ? "" : "; ") + place(each.place) + ' ' + std::string(each.code);
    for (const diagnostic_note& note : each.notes) text += " (note " + place(note.place) + ')';
  }
  return text;
}

struct case_ {
  std::string_view source;
  std::string_view found;
};

void expect_found(const std::vector<case_>& cases, const check_options& options = typing_only()) {
  for (const auto& [source, found] : cases)
    EXPECT_EQ(summary(check_source(source, options)), found) << "source: " << source;
}

// Each warning, and beside it what comes close and is right.
TEST(Check, WarnsOfEachMistakeOfTyping) {
  expect_found({
      {"text $a b\n", "1:6 open-run"},
      {"a $$ b $a$ c$", "1:13 open-run"},
      {"a $$ b $a$", ""},
      {"costs 25$ and 40$.", "1:9 dollar-after-digit"},
      {"costs 25$$, $a$ 40 $b$ $12$", ""},
      {"$l/ ogos$", "1:3 marks-apart (note 1:5)"},
      {"$/--a$", "1:2 marks-apart (note 1:5)"},
      {"$l/ogos$ $/|>a$ $=/i$", ""},
      {"$log/$", "1:5 marks-dropped"},
      {"$a<>$", "1:3 marks-dropped"},
      {"$l/og$ $/a$", ""},
      {"$a)/eide$", "1:3 beta-code"},
      {"$o(ti$ $R($", "1:3 beta-code; 1:10 beta-code"},
      {"$*)axilleus$ $*a$", "1:2 beta-code; 1:15 beta-code"},
      {"$(ka\\i t\\a)$ $(a) b*$ $3*4$ $a (b)$ $* a$", ""},
      {"$t/i?$", "1:5 latin-question-mark"},
      {"$t/i$; what? $$?", ""},
      {"$\"a$", "1:2 quote-left-open"},
      {"$\"a$ $\"$ $\"b$", "1:11 quote-left-open"},
      {"$\"a\"$ \"x\" $b\"$ $\"$", ""},
  });
}

// The suggestions that the messages make from what was typed.
TEST(Check, SaysHowGraphoTypesIt) {
  struct message_case {
    std::string_view source, message;
  };
  for (const auto& [source, message] : {
           message_case{"$a)/eide$",
                        "\"a)/\" looks like Beta Code: grapho takes the marks before their letter, "
                        "\"<\" and \">\" for the breathings: \">/a\""},
           message_case{"$w(=|$",
                        "\"w(=|\" looks like Beta Code: grapho takes the marks before "
                        "their letter, \"<\" and \">\" for the breathings: \"<^|w\""},
           message_case{"$*(+x$",
                        "\"*(+x\" looks like Beta Code: grapho types a capital with its "
                        "own key, its marks before it: \"<=C\""},
           message_case{"$l>/ ogos$",
                        "Marks apart from their letter: \">/\" goes to \"o\"; type "
                        "\">/o\""},
           message_case{"$/\\\na$", "Cannot mix different accents: \n with acute grave"},
       }) {
    auto found = check_source(source);
    ASSERT_FALSE(found.empty()) << source;
    EXPECT_EQ(found.front().message, message);
  }
}

// Every mistake of a source at once: the errors, each once and where grapho
// would stop for it, and the warnings between them.
TEST(Check, FindsEveryMistakeAtOnce) {
  expect_found({
      {"<p>$/\\a$ and $<>/a$</p>\n$>/b$",
       "1:7 mixed-accents; 1:17 mixed-breathings; 2:4 invalid-combination"},
      // The marks in conflict are gone after their error: no second one at the letter.
      {"$<> a$ $>/=|a$ $^A ^A$",
       "1:4 mixed-breathings; 1:13 too-many-marks; 1:18 "
       "invalid-combination; 1:21 invalid-combination"},
      // A price opens a run that markup then fills with marks; the errors it
      // meets on later lines point back at the "$", which no other closes.
      {"The Loeb costs 25$.\n<p><i>cf.</i> more</p>\n",
       "1:18 dollar-after-digit; 1:18 open-run; 2:2 invalid-combination (note 1:18); 2:5 "
       "mixed-breathings (note 1:18); 2:7 invalid-combination (note 1:18); 2:15 "
       "invalid-combination (note 1:18); 2:21 invalid-combination (note 1:18); 2:22 "
       "marks-dropped"},
      {"$a\n\n<>b c/$ $\"d",
       "3:3 mixed-breathings (note 1:1); 3:6 marks-dropped; 3:9 open-run; "
       "3:10 quote-left-open"},
  });
  // The accents' findings too, at their letters on the lines of a run; other
  // text in a run, a dash, a digit or a guillemet, ends a word but is no
  // space before the next; the elision marks of Unicode text, as ungrapho
  // leaves them, elide the word before as the apostrophe does; a dash, a
  // bracket, a stop or the run's end after the space that ended a word part
  // it from the next as they would with no space.
  expect_found({{"$ka/i\r\n\tl/og/os, >anqr/wpos\nd' >/eqhke l/ogos\tt/is$ $<o$",
                 "1:5 acute-before-word; 2:7 two-accents; 2:17 penult-circumflex"},
                {"$ka/i\xe2\x80\x94 ka/i2 ka/i\xc2\xbb ka/i l/ogos, t/is\xc2\xbb$",
                 "1:26 acute-before-word"},
                {"$<up\xca\xbc a>ut^wn, <up\xe2\x80\x99 a>ut^wn, <up\xe1\xbe\xbd a>ut^wn, "
                 "<up\xe1\xbe\xbf a>ut^wn, <up' a>ut^wn, <up\xe2\x80\x98 a>ut^wn$",
                 "1:80 missing-accent"},
                {"$>agaq/os -- >an/hr, >agaq/os (>an/hr) kal\\os . ka/i $ and $ka/i$",
                 "1:44 grave-before-stop"}},
               {});
}

// Greek as grapho types it, from the editions: nothing to say, accents
// included.
TEST(Check, FindsNothingInRealText) {
  expect_found({{read_file(GRAPHO_EXAMPLES_DIR "/quotations.txt"), ""}}, {});
  std::ifstream pairs(GRAPHO_TEST_DATA_DIR "/greek-reference.txt");
  ASSERT_TRUE(pairs) << "missing test data";
  std::string typed, edition, source;
  while (std::getline(pairs, typed) && std::getline(pairs, edition)) {
    // The question mark is ";" after the run.
    bool question = typed.ends_with('?');
    if (question) typed.pop_back();
    source += "<p>$" + typed + "$" + (question ? ";" : "") + "</p>\n";
  }
  ASSERT_GT(source.size(), 1000u);
  expect_found({{source, ""}}, {});
}

TEST(Check, SwitchesWarningsByCode) {
  const std::string_view source = "$\"<\\h/$ 5$b";
  EXPECT_EQ(summary(check_source(source)),
            "1:2 quote-left-open; 1:6 marks-dropped; 1:10 dollar-after-digit; 1:10 open-run");
  check_options options;
  EXPECT_EQ(options.warnings.set("marks-dropped,open-run", false), std::nullopt);
  EXPECT_EQ(summary(check_source(source, options)), "1:2 quote-left-open; 1:10 dollar-after-digit");
  // Nothing is switched when one code is wrong; errors are always reported.
  EXPECT_EQ(options.warnings.set("quote-left-open,open-runs", false),
            "No warning is named \"open-runs\"");
  EXPECT_EQ(options.warnings.set("open-run,mixed-accents", false),
            "\"mixed-accents\" is an error: errors cannot be switched");
  EXPECT_EQ(options.warnings.set("open-run,", true), "No warning is named \"\"");
  EXPECT_EQ(options.warnings.set("", true), std::nullopt);
  EXPECT_EQ(options.warnings.set("open-run", true), std::nullopt);
  EXPECT_EQ(summary(check_source(source, options)),
            "1:2 quote-left-open; 1:10 dollar-after-digit; 1:10 open-run");
}

// Any byte a message or a name may hold gives valid JSON in UTF-8: control
// characters and bytes outside UTF-8 are shown as escapes, as on a terminal.
TEST(Check, WritesJson) {
  EXPECT_EQ(json_objects("a.txt", {}), "");
  EXPECT_EQ(json_objects("x\"\\\t\xff\xce\xb1.txt", check_source("$\"\n<>\x01$")),
            "{\"file\": \"x\\\"\\\\\\\\t\\\\xff\xce\xb1.txt\", \"line\": 1, \"column\": 2, "
            "\"severity\": \"warning\", \"code\": \"quote-left-open\", \"message\": \"Quotation "
            "left open at the end of the file: the next file's first quotation mark will close "
            "it\", \"notes\": []},\n"
            "{\"file\": \"x\\\"\\\\\\\\t\\\\xff\xce\xb1.txt\", \"line\": 2, \"column\": 3, "
            "\"severity\": \"error\", \"code\": \"mixed-breathings\", \"message\": \"Cannot mix "
            "different breathings: \\\\x01 with rough smooth\", \"notes\": [{\"line\": 1, "
            "\"column\": 1, \"message\": \"The Greek run began here\"}]}");
}

}  // namespace
}  // namespace grapho
