// The transliteration chart, built from the tables and the converter itself so
// that the README and the manual can never drift from what grapho does.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace grapho::chart {

// One cell: what a user types (shown as code) or text to read.
struct cell {
  std::u32string text;
  bool typed = false;
};
using row = std::vector<cell>;

struct section {
  std::string title;
  // A paragraph before the table; text between backquotes is typed.
  std::string intro;
  std::vector<std::string> headings;
  std::vector<row> rows;
  // How a row reads as a line of text, its cells in place of {0}, {1} and so
  // on: for Markdown, whose tables cannot show a "|" as it is typed.
  std::string line = {};
};

std::vector<section> build_chart();

// What grapho writes for `typed` as the whole of a Greek run, decoded.
std::u32string greek_for(std::string_view typed);

// The characters that the chart shows doing something of their own inside a
// run: every key of the letter and mark tables and of the special rows.
std::string explained_characters();

}  // namespace grapho::chart
