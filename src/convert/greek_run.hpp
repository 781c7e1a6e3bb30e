// What the translation of one Greek run works on, and the routines that its
// characters are dispatched to.
#pragma once

#include <bit>
#include <optional>
#include <string>
#include <string_view>

#include "convert/page.hpp"
#include "greek/tables.hpp"
#include "io/char_source.hpp"
#include "io/output_sink.hpp"

namespace grapho {

struct greek_run {
  char_source& source;
  output_sink& sink;
  // Lives across runs and files.
  quote_state& quotes;
  // The marks typed since the last letter, as a set of `mark` bits.
  unsigned pending_marks = 0;
};

// The messages of the four transliteration errors, each filled with the
// description of the marks and the character in hand (describe_marks).
inline constexpr const char* mixed_breathings_message = "Cannot mix different breathings: %s";
inline constexpr const char* mixed_accents_message = "Cannot mix different accents: %s";
inline constexpr const char* too_many_marks_message = "More than three diacritics together: %s";
inline constexpr const char* invalid_combination_message = "Invalid diacritic combination: %s";

// The message of the first rule of combination that a set of pending marks
// breaks, or nullptr when it keeps them all.
constexpr const char* broken_mark_rule(unsigned marks) {
  if (std::popcount(marks & breathings) > 1) return mixed_breathings_message;
  if (std::popcount(marks & accents) > 1) return mixed_accents_message;
  if (std::popcount(marks) > 3) return too_many_marks_message;
  return nullptr;
}

// Special characters: sigma, quotation marks, doubled dashes and brackets.
void write_quotation_mark(greek_run& run);
void write_sigma(greek_run& run);
void write_dash_or_en_dash(greek_run& run);
void write_bracket_or_left_white_bracket(greek_run& run);
void write_bracket_or_right_white_bracket(greek_run& run);
void write_brace_or_left_angle_bracket(greek_run& run);
void write_brace_or_right_angle_bracket(greek_run& run);

// Diacritic marks.
template <unsigned Mark>
void add_pending_mark(greek_run& run) {
  run.pending_marks |= Mark;
}
void check_marks(const greek_run& run, int c);
void resolve_letter(greek_run& run, int c);
std::string describe_marks(unsigned marks, int c);
std::optional<std::string_view> find_combination(int letter, unsigned marks);

}  // namespace grapho
