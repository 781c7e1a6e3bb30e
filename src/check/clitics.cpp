#include "check/clitics.hpp"

namespace grapho {

bool spells(const greek_word& word, std::size_t from, std::u32string_view form) {
  const auto& letters = word.letters();
  if (from + form.size() > letters.size()) return false;
  for (std::size_t i = 0; i < form.size(); ++i) {
    letter_with_marks expected = greek_character(form[i]);
    const word_letter& letter = letters[from + i];
    if (spelling_code(letter.small, letter.marks) !=
        spelling_code(small_letter(expected.letter), expected.marks))
      return false;
  }
  return true;
}

}  // namespace grapho
