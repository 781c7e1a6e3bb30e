#include "reference_converter.hpp"

#include <algorithm>
#include <bit>
#include <cstdint>

#include "greek/tables.hpp"

namespace grapho::reference {
namespace {

constexpr int end_of_text = -1;

// Thrown where the conversion stops with a message about the character in
// hand, or, for a failed read, about the byte that could not be read.
struct stop {
  std::string message;
  bool at_unread_byte = false;
};

// The input, read one character at a time with a look ahead. A message points
// at a character by its offset alone: line 1 + the line ends before it, column
// 1 + the bytes between the last of them and it.
class cursor {
 public:
  cursor(std::string_view text, input_source source) : text_(text), source_(source) {}

  // Looks at the next character without moving past it.
  int peek() const {
    if (index_ >= source_.readable)
      throw stop{"Cannot read file " + std::string(source_.path), true};
    return index_ < text_.size() ? static_cast<unsigned char>(text_[index_]) : end_of_text;
  }

  // Moves past the character just looked at, which becomes the one in hand.
  void skip() {
    if (index_ < text_.size()) in_hand_ = index_++;
  }

  int next() {
    int c = peek();
    skip();
    return c;
  }

  expected_error error(const stop& reason) const {
    std::size_t at = reason.at_unread_byte ? index_ : in_hand_;
    std::string_view before = text_.substr(0, at);
    std::size_t line_start = before.rfind('\n') + 1;  // 0 when there is none
    return {1 + static_cast<std::uint64_t>(std::count(before.begin(), before.end(), '\n')),
            1 + at - line_start, reason.message};
  }

 private:
  std::string_view text_;
  input_source source_;
  std::size_t index_ = 0;
  std::size_t in_hand_ = 0;
};

bool is_latin_letter(int c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// "a with rough acute ", as messages name a letter and its marks.
std::string describe(int c, unsigned marks) {
  std::string text = std::string(1, static_cast<char>(c)) + " with ";
  for (const auto& mark : mark_table)
    if (marks & mark.bit) text += mark.description;
  return text;
}

unsigned mark_of(int c) {
  for (const auto& mark : mark_table)
    if (mark.key == c) return mark.bit;
  return 0;
}

std::string_view entity_of_letter(int c) {
  for (const auto& letter : letter_entries)
    if (letter.key == c) return letter.entity;
  return {};
}

std::string_view entity_of_combination(int c, unsigned marks) {
  for (const auto& row : combination_table)
    if (row.letter == c && row.marks == marks) return row.entity;
  return {};
}

// The text of a doubled character, or nothing for a character that does not pair.
std::string_view pair_entity(int c) {
  switch (c) {
    case '-':
      return "&ndash;";
    case '[':
      return "&#x301A;";
    case ']':
      return "&#x301B;";
    case '{':
      return "&#x2329;";
    case '}':
      return "&#x232A;";
    default:
      return {};
  }
}

class model {
 public:
  model(std::string_view input, input_source source, bool& quote_open)
      : in_(input, source), quote_open_(quote_open) {}

  expected_conversion run() {
    expected_conversion result;
    try {
      copy_text();
    } catch (const stop& reason) {
      result.error = in_.error(reason);
    }
    result.output = std::move(out_);
    return result;
  }

 private:
  // Outside runs every byte is copied, "$$" gives "$" and "$" opens a run.
  void copy_text() {
    for (int c = in_.next(); c != end_of_text; c = in_.next()) {
      if (c != '$') {
        out_ += static_cast<char>(c);
      } else if (in_.peek() == '$') {
        in_.skip();
        out_ += '$';
      } else {
        translate_run();
      }
    }
  }

  // A run ends at "$" or at the end of the text; marks still pending then are dropped.
  void translate_run() {
    unsigned marks = 0;
    for (int c = in_.next(); c != end_of_text && c != '$'; c = in_.next()) {
      if (marks != 0) {
        check(marks, c);
        if (is_latin_letter(c)) {
          write_letter_with_marks(c, marks);
          marks = 0;
          continue;
        }
      }
      if (unsigned mark = mark_of(c)) {
        marks |= mark;
      } else {
        write_plain(c);
      }
    }
  }

  // The rules that pending marks keep, checked before each character after them.
  static void check(unsigned marks, int c) {
    if (std::popcount(marks & breathings) > 1)
      throw stop{"Cannot mix different breathings: " + describe(c, marks)};
    if (std::popcount(marks & accents) > 1)
      throw stop{"Cannot mix different accents: " + describe(c, marks)};
    if (std::popcount(marks) > 3)
      throw stop{"More than three diacritics together: " + describe(c, marks)};
  }

  void write_letter_with_marks(int c, unsigned marks) {
    std::string_view entity = entity_of_combination(c, marks);
    if (entity.empty()) throw stop{"Invalid diacritic combination: " + describe(c, marks)};
    out_ += entity;
  }

  void write_plain(int c) {
    if (c == 's') {
      write_sigma();
    } else if (c == '"') {
      out_ += quote_open_ ? "&rdquo;" : "&ldquo;";
      quote_open_ = !quote_open_;
    } else if (std::string_view pair = pair_entity(c); !pair.empty()) {
      write_single_or_pair(c, pair);
    } else if (std::string_view entity = entity_of_letter(c); !entity.empty()) {
      out_ += entity;
    } else {
      out_ += static_cast<char>(c);
    }
  }

  // Medial before a letter, a mark or a bracket; final before anything else.
  void write_sigma() {
    int next = in_.peek();
    bool medial = is_latin_letter(next) || mark_of(next) != 0 || next == '[' || next == ']' ||
                  next == '{' || next == '}';
    out_ += medial ? "&sigma;" : "&sigmaf;";
  }

  void write_single_or_pair(int c, std::string_view pair) {
    if (in_.peek() == c) {
      in_.skip();
      out_ += pair;
    } else {
      out_ += static_cast<char>(c);
    }
  }

  cursor in_;
  bool& quote_open_;
  std::string out_;
};

}  // namespace

expected_conversion convert(std::string_view input, bool& quote_open, input_source source) {
  return model(input, source, quote_open).run();
}

std::string report(std::string_view path, const expected_error& error) {
  return std::string(path) + ':' + std::to_string(error.line) + ':' + std::to_string(error.column) +
         ' ' + error.message;
}

}  // namespace grapho::reference
