// Writes a deterministic Greek-heavy input of the requested size to standard
// output: paragraphs of markup around Greek runs full of breathings, accents,
// diaeresis and iota subscripts, the mix of a page of quotations.
//
//   grapho_make_input BYTES > input.txt
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "greek/tables.hpp"

namespace {

// The typed form of every letter with marks that grapho accepts, e.g. "<^|w".
std::vector<std::string> typed_vowels_with_marks(bool capital) {
  std::vector<std::string> typed;
  for (const auto& row : grapho::combination_table) {
    bool is_capital = row.letter >= 'A' && row.letter <= 'Z';
    if (is_capital != capital || row.letter == 'r' || row.letter == 'R') continue;
    std::string form;
    for (const auto& mark : grapho::mark_table)
      if (row.marks & mark.bit) form += mark.key;
    typed.push_back(form + row.letter);
  }
  return typed;
}

class greek_writer {
 public:
  explicit greek_writer(unsigned seed) : random_(seed) {}

  std::string word() {
    std::string text;
    int syllables = pick(1, 4);
    bool accented = false;
    if (pick(0, 9) == 0) text += pick_from(capitals_);
    for (int i = 0; i < syllables; ++i) {
      if (!text.empty() || pick(0, 2) != 0) text += pick_from(consonants_);
      if (!accented && pick(0, 2) == 0) {
        text += pick_from(marked_vowels_);
        accented = true;
      } else {
        text += pick_from(vowels_);
      }
    }
    if (pick(0, 2) == 0) text += pick_from(endings_);
    return text;
  }

  std::string paragraph() {
    std::string text = "<p class=\"grc\" lang=\"grc\">$";
    int words = pick(40, 160);
    std::size_t line_start = 0;
    for (int i = 0; i < words; ++i) {
      text += word();
      if (pick(0, 7) == 0) text += pick_from(punctuation_);
      if (text.size() - line_start > 72) {
        text += '\n';
        line_start = text.size();
      } else {
        text += ' ';
      }
    }
    text += "$</p>\n";
    if (pick(0, 3) == 0)
      text += "<p>A gloss in English, with a price of 5 $$ and a <i>note</i>.</p>\n";
    return text;
  }

 private:
  int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  const std::string& pick_from(const std::vector<std::string>& choices) {
    return choices[static_cast<std::size_t>(pick(0, static_cast<int>(choices.size()) - 1))];
  }

  std::mt19937 random_;
  std::vector<std::string> consonants_ = {"b", "g", "d", "z", "q", "k", "l", "m",  "n",  "x",
                                          "p", "r", "s", "t", "f", "c", "y", "st", "nt", "ll"};
  std::vector<std::string> vowels_ = {"a", "e", "h", "i", "o", "u", "w", "ai", "ei", "ou"};
  std::vector<std::string> endings_ = {"s", "n", "'"};
  std::vector<std::string> punctuation_ = {",", ".", ";", "?"};
  std::vector<std::string> marked_vowels_ = typed_vowels_with_marks(false);
  std::vector<std::string> capitals_ = typed_vowels_with_marks(true);
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: grapho_make_input BYTES > input.txt\n", stderr);
    return 2;
  }
  const std::size_t size = std::strtoull(argv[1], nullptr, 10);
  greek_writer writer(20261208);
  std::size_t written = 0;
  for (;;) {
    std::string paragraph = writer.paragraph();
    if (written + paragraph.size() > size) break;
    std::fwrite(paragraph.data(), 1, paragraph.size(), stdout);
    written += paragraph.size();
  }
  // Plain text outside runs makes up the exact size.
  std::string filler(size - written, '\n');
  std::fwrite(filler.data(), 1, filler.size(), stdout);
  return 0;
}
