// The rules of Greek accentuation that need no dictionary, over the Greek of a
// source read word by word. The check of grapho's sources feeds it the letters
// of its runs; the reading of Unicode text feeds it the Greek wherever it
// stands. Each rule is a warning of its own code.
#pragma once

#include <array>
#include <cstddef>
#include <optional>

#include "check/diagnostic.hpp"
#include "check/words.hpp"

namespace grapho {

// One Greek letter with its marks, at the place of the character that gave it.
struct greek_letter {
  // Small or capital, as Unicode's Greek and Coptic block has it: U+0391 to
  // U+03A9, U+03B1 to U+03C9, the final sigma U+03C2, and the lunate sigma and
  // digamma that grapho types.
  char32_t letter;
  // The `mark` bits of greek/tables.hpp, and the marks of length of
  // check/greek_letters.hpp.
  unsigned marks;
  text_place place;
};

// What ends a word, when anything does.
enum class word_break {
  space,     // white space or markup: the next word goes on in the same clause
  line_end,  // a line end, which is not punctuation
  stop,      // . , · ; : ! and their Greek forms
  other,     // any other character: quotation marks, dashes, brackets, digits
  end,       // the end of a Greek run, or of the text
};

class accent_rules {
 public:
  explicit accent_rules(diagnostic_list& found);
  // It points into itself.
  accent_rules(const accent_rules&) = delete;
  accent_rules& operator=(const accent_rules&) = delete;

  void letter(const greek_letter& letter) {
    current_->add(letter.letter, letter.marks, letter.place);
  }
  void letter(small_form form, unsigned marks, text_place place) {
    current_->add(form, marks, place);
  }
  // Marks for the letter given last, which decomposed text brings after it.
  void marks(unsigned marks) { current_->add_marks(marks); }
  // The word being read holds a mistake of typing: it is left unjudged.
  void leave_word_unjudged() { current_->leave_unjudged(); }
  // What came before is not Greek as it was meant (Beta Code, say): the
  // words not yet judged are dropped.
  void forget_words() {
    current_->clear();
    has_previous_ = false;
    gap_.reset();
  }
  // Whether letters have come since the last word ended.
  bool in_word() const { return !current_->empty(); }
  // The numeral sign after the letters of a word, which makes them a number:
  // no word, nor checked.
  void numeral() { current_->clear(); }
  // An elision mark, which ends the word it follows.
  void elision(text_place place);
  void end_word(word_break kind, text_place) {
    if (!current_->empty()) close_word(false);
    if (has_previous_) note_gap(kind);
  }
  // After the last of the source.
  void finish();

 private:
  void close_word(bool elided);
  // What stands after the previous word: the first break other than white
  // space, or the white space, a line end before a space.
  void note_gap(word_break kind) {
    if (!gap_ || (*gap_ == word_break::space && kind != word_break::space) ||
        (*gap_ == word_break::line_end && kind != word_break::space &&
         kind != word_break::line_end))
      gap_ = kind;
  }
  // Checks the previous word, now that what follows it is known.
  void settle_previous(const greek_word* next);
  // Runs every rule over the previous word: apart, out of the way of the
  // words that need none.
  [[gnu::noinline]] void check_rules(word_break after, const greek_word* next);

  diagnostic_list& found_;
  unsigned reported_ = 0;  // a bit for each rule whose warnings are reported
  // The word being read, and the previous one, in turn.
  std::array<greek_word, 2> words_;
  greek_word* current_ = &words_[0];
  greek_word* previous_ = &words_[1];
  greek_word head_;  // the head of a word made with an enclitic
  bool has_previous_ = false;
  // What stands between the previous word and the current one: the first
  // break other than white space, or the white space.
  std::optional<word_break> gap_;
};

}  // namespace grapho
