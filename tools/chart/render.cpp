#include "render.hpp"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "html_references.hpp"

namespace grapho::chart {
namespace {

// ---------------------------------------------------------------------------
// Markdown: a heading, the paragraph and a table for each section.

// A Markdown table takes a "|" for the end of a cell, even in a code span, and
// shows it only escaped as "\|", which reads wrong in the source: a section
// that holds one is written as a list instead, a line for each row.
bool holds_a_bar(const section& part) {
  for (const auto& cells : part.rows)
    for (const auto& content : cells)
      if (content.text.find(U'|') != std::u32string::npos) return true;
  return false;
}

// Typed text as code. A backquote alone in a table's cell is shown as it is,
// which reads right in the source too, where a code span would need doubled
// backquotes around it.
std::string markdown_cell(const cell& content, bool in_table) {
  std::string bytes = to_utf8(content.text);
  if (!content.typed) return bytes;
  if (bytes.find('`') != std::string::npos) return in_table ? bytes : "`` " + bytes + " ``";
  return "`" + bytes + "`";
}

std::string markdown_row(const std::vector<std::string>& cells) {
  std::string line = "|";
  for (const auto& text : cells) line += " " + text + " |";
  return line + "\n";
}

std::string markdown_table(const section& part) {
  std::string text = markdown_row(part.headings);
  text += markdown_row(std::vector<std::string>(part.headings.size(), "---"));
  for (const auto& cells : part.rows) {
    std::vector<std::string> shown;
    for (const auto& content : cells) shown.push_back(markdown_cell(content, true));
    text += markdown_row(shown);
  }
  return text;
}

std::string markdown_list(const section& part) {
  if (part.line.empty())
    throw std::runtime_error("the section " + part.title + " holds a | and has no line form");
  std::string text;
  for (const auto& cells : part.rows) {
    std::string line = "- " + part.line;
    for (std::size_t i = 0; i < cells.size(); ++i) {
      std::string place = std::to_string(i);
      place.insert(place.begin(), '{');
      place.push_back('}');
      line.replace(line.find(place), place.size(), markdown_cell(cells[i], false));
    }
    text += line + '\n';
  }
  return text;
}

std::string markdown_section(const section& part) {
  std::string text = "### " + part.title + "\n\n" + part.intro + "\n\n";
  return text + (holds_a_bar(part) ? markdown_list(part) : markdown_table(part));
}

// ---------------------------------------------------------------------------
// roff: ASCII only, Greek as groff's \[uXXXX] escapes, so that the page reads
// the same whatever the reader's locale; tables for tbl, which sizes each
// column by what the terminal shows, so that the columns stay aligned even
// where the Greek is shown as names such as <alpha>.

std::string roff_escape(std::u32string_view text) {
  std::string escaped;
  for (char32_t c : text) {
    switch (c) {
      case '\\':
        escaped += "\\e";
        break;
      case '-':
        escaped += "\\-";
        break;
      case '\'':
        escaped += "\\(aq";
        break;
      case '`':
        escaped += "\\(ga";
        break;
      case '^':
        escaped += "\\(ha";
        break;
      case '~':
        escaped += "\\(ti";
        break;
      case '"':
        escaped += "\\(dq";
        break;
      default:
        if (c < 0x80) {
          escaped += static_cast<char>(c);
        } else {
          char name[16];
          std::snprintf(name, sizeof name, "\\[u%04X]", static_cast<unsigned>(c));
          escaped += name;
        }
    }
  }
  return escaped;
}

// One line of a table, its cells apart by tabs; typed cells in `typed_font`
// (bold for what a user types).
std::string roff_line(const std::vector<cell>& cells, std::string_view typed_font) {
  std::string line;
  for (const auto& content : cells) {
    if (!line.empty()) line += '\t';
    if (content.typed) line += typed_font;
    line += roff_escape(content.text);
    if (content.typed) line += "\\fP";
  }
  return line + '\n';
}

// A paragraph whose text between backquotes is typed, so shown in bold; each
// sentence on a line of its own, as roff wants, to space sentences apart.
std::string roff_paragraph(std::string_view words) {
  std::string text;
  bool in_typed = false;
  for (char c : words) {
    if (c == ' ' && text.ends_with('.')) {
      text += '\n';
    } else if (c == '`') {
      text += in_typed ? "\\fP" : "\\fB";
      in_typed = !in_typed;
    } else {
      text += roff_escape(std::u32string(1, static_cast<char32_t>(c)));
    }
  }
  return text + "\n";
}

// tbl's options and format: columns left-aligned, two ens apart so that the
// widest table fits 80 columns even where the Greek is shown by name; no keep,
// which would make man leave a blank line inside a table.
std::string roff_table_format(const section& part) {
  std::string format = "nokeep;\n";
  for (std::size_t i = 0; i + 1 < part.headings.size(); ++i) format += "l2 ";
  return format + "l.\n";
}

std::string roff_section(const section& part) {
  std::string text = ".SS " + part.title + "\n" + roff_paragraph(part.intro);
  text += ".PP\n.RS 4\n.TS\n" + roff_table_format(part);
  // The headings in italics: a row whose cells all take the font given.
  std::vector<cell> headings;
  for (const auto& heading : part.headings)
    headings.push_back({std::u32string(heading.begin(), heading.end()), true});
  text += roff_line(headings, "\\fI");
  for (const auto& cells : part.rows) text += roff_line(cells, "\\fB");
  return text + ".TE\n.RE\n";
}

// ---------------------------------------------------------------------------
// HTML, for the web page: a heading, the paragraph and a table for each
// section, the Greek as characters marked as Ancient Greek for screen readers.

std::string html_escape(std::u32string_view text) {
  std::string escaped;
  for (char c : to_utf8(text)) {
    if (c == '&')
      escaped += "&amp;";
    else if (c == '<')
      escaped += "&lt;";
    else if (c == '>')
      escaped += "&gt;";
    else
      escaped += c;
  }
  return escaped;
}

std::string html_cell(const cell& content) {
  if (content.typed) return "<td><code>" + html_escape(content.text) + "</code></td>";
  bool greek =
      std::any_of(content.text.begin(), content.text.end(), [](char32_t c) { return c >= 0x370; });
  return (greek ? "<td lang=\"grc\">" : "<td>") + html_escape(content.text) + "</td>";
}

// Text between backquotes is typed, so shown as code.
std::string html_paragraph(std::string_view words) {
  std::string text;
  bool in_typed = false;
  for (char c : words) {
    if (c == '`') {
      text += in_typed ? "</code>" : "<code>";
      in_typed = !in_typed;
    } else {
      text += html_escape(std::u32string(1, static_cast<char32_t>(c)));
    }
  }
  return "<p>" + text + "</p>\n";
}

std::string html_section(const section& part) {
  std::string text = "<h3>" + part.title + "</h3>\n" + html_paragraph(part.intro);
  text += "<table>\n<thead><tr>";
  for (const auto& heading : part.headings) text += "<th scope=\"col\">" + heading + "</th>";
  text += "</tr></thead>\n<tbody>\n";
  for (const auto& cells : part.rows) {
    text += "<tr>";
    for (const auto& content : cells) text += html_cell(content);
    text += "</tr>\n";
  }
  return text + "</tbody>\n</table>\n";
}

// ---------------------------------------------------------------------------
// Markers: comment lines of each format around the chart.

struct markers {
  std::string_view begin, end;
};

markers markers_of(format kind) {
  if (kind != format::roff)
    return {"<!-- chart begin: made by grapho_chart from the tables; do not edit -->\n",
            "<!-- chart end -->\n"};
  return {".\\\" chart begin: made by grapho_chart from the tables; do not edit\n",
          ".\\\" chart end\n"};
}

// Where the chart starts and ends in `document`.
std::pair<std::size_t, std::size_t> chart_bounds(std::string_view document, format kind) {
  auto [begin, end] = markers_of(kind);
  std::size_t first = document.find(begin);
  std::size_t last = first == std::string_view::npos ? first : document.find(end, first);
  if (last == std::string_view::npos)
    throw std::runtime_error("the chart's marker lines are missing: " + std::string(begin));
  return {first + begin.size(), last};
}

}  // namespace

format format_of(std::string_view path) {
  if (path.ends_with(".md")) return format::markdown;
  return path.ends_with(".html") ? format::html : format::roff;
}

std::string render(format kind, const std::vector<section>& sections) {
  std::string text;
  for (const auto& part : sections) {
    if (kind == format::roff) {
      text += roff_section(part);
      continue;
    }
    if (kind == format::html) {
      text += html_section(part);
      continue;
    }
    if (!text.empty()) text += '\n';
    text += markdown_section(part);
  }
  return text;
}

std::string_view chart_in(std::string_view document, format kind) {
  auto [first, last] = chart_bounds(document, kind);
  return document.substr(first, last - first);
}

std::string with_chart(std::string_view document, format kind, std::string_view replacement) {
  auto [first, last] = chart_bounds(document, kind);
  return std::string(document.substr(0, first)) + std::string(replacement) +
         std::string(document.substr(last));
}

}  // namespace grapho::chart
