// The chart tool: that the chart leaves out no character with a meaning of
// its own, and that awkward keys survive Markdown and roff.
#include "chart.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "files.hpp"
#include "html_references.hpp"
#include "render.hpp"

namespace grapho::chart {
namespace {

TEST(Chart, ExplainsEveryCharacterThatIsNotCopiedAsItIs) {
  const std::string explained = explained_characters();
  for (int c = ' '; c < 0x7f; ++c) {
    if (explained.find(static_cast<char>(c)) != std::string::npos) continue;
    std::string once(1, static_cast<char>(c)), twice(2, static_cast<char>(c));
    EXPECT_EQ(to_utf8(greek_for(once)), once) << "'" << once << "' is missing from the chart";
    EXPECT_EQ(to_utf8(greek_for(twice)), twice) << "'" << twice << "' is missing from the chart";
  }
}

TEST(Chart, DecodesWhatTheConverterWrites) {
  struct case_ {
    std::string html;
    std::u32string text;
  };
  for (const auto& [html, text] : {
           case_{"&alpha;&Omega;&sigmaf;", U"\u03B1\u03A9\u03C2"},
           case_{"&#x1f04;&#x1f7D;&#x00b7;", U"\u1F04\u1F7D\u00B7"},
           case_{"&ldquo;a&rdquo; &ndash; 12", U"\u201Ca\u201D \u2013 12"},
           case_{"no reference &", U"no reference &"},
       }) {
    EXPECT_EQ(decode_references(html), text) << html;
  }
  EXPECT_THROW(decode_references("&nbsp;"), std::invalid_argument);
  EXPECT_EQ(to_utf8(U"a\u00B7\u1F04\U0001F600"), "a\xC2\xB7\xE1\xBC\x84\xF0\x9F\x98\x80");
}

TEST(Chart, EscapesKeysForMarkdownRoffAndHtml) {
  const std::vector<section> chart = {
      {"Keys",
       "Type `\\` for a grave.",
       {"Key", "Greek"},
       {{{U"|", true}, {U"\u1FBF", false}}, {{U"\\-^~\"'", true}, {U".", false}}},
       "{0} gives {1}"},
      {"Signs",
       "`<` and `&`.",
       {"Key", "Sign"},
       {{{U"<&>", true}, {U"a & b", false}}, {{U"`", true}, {U"'", false}}}},
  };
  // Markdown: a section with a "|" as a list, which shows it as it is typed;
  // a backquote alone in its cell.
  EXPECT_EQ(render(format::markdown, chart),
            "### Keys\n\nType `\\` for a grave.\n\n"
            "- `|` gives \xE1\xBE\xBF\n"
            "- `\\-^~\"'` gives .\n"
            "\n### Signs\n\n`<` and `&`.\n\n"
            "| Key | Sign |\n| --- | --- |\n"
            "| `<&>` | a & b |\n"
            "| ` | ' |\n");
  EXPECT_EQ(render(format::roff, {chart[0]}),
            ".SS Keys\nType \\fB\\e\\fP for a grave.\n.PP\n.RS 4\n.TS\nnokeep;\nl2 l.\n"
            "\\fIKey\\fP\t\\fIGreek\\fP\n"
            "\\fB|\\fP\t\\[u1FBF]\n"
            "\\fB\\e\\-\\(ha\\(ti\\(dq\\(aq\\fP\t.\n"
            ".TE\n.RE\n");
  // HTML: markup characters escaped, typed text as code, Greek marked as such.
  const std::string signs =
      "<h3>Signs</h3>\n<p><code>&lt;</code> and <code>&amp;</code>.</p>\n<table>\n"
      "<thead><tr><th scope=\"col\">Key</th><th scope=\"col\">Sign</th></tr></thead>\n"
      "<tbody>\n<tr><td><code>&lt;&amp;&gt;</code></td><td>a &amp; b</td></tr>\n"
      "<tr><td><code>`</code></td><td>'</td></tr>\n"
      "</tbody>\n</table>\n";
  const std::string html = render(format::html, {chart[1], chart[0]});
  EXPECT_EQ(html.substr(0, signs.size()), signs);
  EXPECT_NE(html.find("<tr><td><code>|</code></td><td lang=\"grc\">\xE1\xBE\xBF</td></tr>"),
            std::string::npos);
}

// Every key of the chart reads as it is typed in the Markdown source, which
// Windows users read as it is, and as GitHub renders it (cmark-gfm, where it
// is installed): the same bytes, in a code span or alone in a cell.
TEST(Chart, ShowsEveryKeyAsItIsTypedInMarkdownRawAndRendered) {
  const std::string markdown = render(format::markdown, build_chart());
  EXPECT_EQ(markdown.find("\\|"), std::string::npos);
  EXPECT_EQ(markdown.find("``"), std::string::npos);
  std::vector<std::string> keys;
  for (const auto& part : build_chart())
    for (const auto& cells : part.rows)
      for (const auto& content : cells)
        if (content.typed) keys.push_back(to_utf8(content.text));
  for (const auto& key : keys) {
    bool alone = key.find('`') != std::string::npos;
    EXPECT_NE(markdown.find(alone ? "| " + key + " |" : "`" + key + "`"), std::string::npos) << key;
  }

  const std::filesystem::path source =
      std::filesystem::temp_directory_path() / "grapho-chart-test.md";
  write_file(source, markdown);
  std::string html;
  if (FILE* rendering =
          popen(("cmark-gfm -e table '" + source.string() + "' 2>/dev/null").c_str(), "r")) {
    char buffer[4096];
    for (std::size_t count; (count = fread(buffer, 1, sizeof buffer, rendering)) > 0;)
      html.append(buffer, count);
    if (pclose(rendering) != 0) html.clear();
  }
  std::filesystem::remove(source);
  if (html.empty()) GTEST_SKIP() << "cmark-gfm is not installed";
  for (auto key : keys) {
    bool alone = key.find('`') != std::string::npos;
    for (auto [character, escaped] :
         {std::pair{'&', "&amp;"}, {'<', "&lt;"}, {'>', "&gt;"}, {'"', "&quot;"}})
      for (std::size_t at = 0; (at = key.find(character, at)) != std::string::npos; at += 1)
        key.replace(at, 1, escaped);
    EXPECT_NE(html.find(alone ? "<td>" + key + "</td>" : "<code>" + key + "</code>"),
              std::string::npos)
        << key;
  }
}

// The Greek question mark, which the chart explains with its signs, is typed
// as it says.
TEST(Chart, TypesTheQuestionMarkAsItSays) {
  const std::vector<section> chart = build_chart();
  auto signs = std::find_if(chart.begin(), chart.end(),
                            [](const section& part) { return part.title == "Signs"; });
  ASSERT_NE(signs, chart.end());
  EXPECT_NE(signs->intro.find("`$t/i$;`"), std::string::npos);
  EXPECT_EQ(greek_for("t/i$;"), U"\u03C4\u1F77;");
  EXPECT_EQ(greek_for(";"), U"\u00B7");
}

TEST(Chart, ReplacesOnlyTheTextBetweenTheMarkers) {
  const std::string begin =
      "<!-- chart begin: made by grapho_chart from the tables; do not edit -->\n";
  const std::string end = "<!-- chart end -->\n";
  const std::string document = "before\n" + begin + "old\n" + end + "after\n";
  EXPECT_EQ(chart_in(document, format::markdown), "old\n");
  EXPECT_EQ(with_chart(document, format::markdown, "new\n"),
            "before\n" + begin + "new\n" + end + "after\n");
  EXPECT_THROW(chart_in(document, format::roff), std::runtime_error);
  EXPECT_THROW(chart_in("before\n" + begin + "no end\n", format::markdown), std::runtime_error);
  EXPECT_EQ(format_of("README.md"), format::markdown);
  EXPECT_EQ(format_of("man/grapho.1"), format::roff);
}

}  // namespace
}  // namespace grapho::chart
