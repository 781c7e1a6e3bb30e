#include "check/accents.hpp"

namespace grapho {

// The rules are yet to come: for now nothing is found.
void accent_rules::letter(const greek_letter&) {}
void accent_rules::elision(text_place) {}
void accent_rules::end_word(word_break, text_place) {}
void accent_rules::finish() {}

}  // namespace grapho
