// Pending diacritic marks: the rules they must keep, and the precomposed
// letter they resolve to.
#include <string>

#include "convert/dispatch.hpp"
#include "convert/greek_run.hpp"
#include "greek/tables.hpp"

namespace grapho {

std::string describe_marks(unsigned marks, int c) {
  std::string description(1, static_cast<char>(c));
  description += " with ";
  for (const auto& entry : mark_table)
    if (marks & entry.bit) description += entry.description;
  return description;
}

// The checks run before every character of a run while marks are pending, so
// a conflict is reported at the character after the marks, naming it.
void check_marks(const greek_run& run, int c) {
  if (const char* broken_rule = broken_mark_rule(run.pending_marks))
    run.source.fail(broken_rule, describe_marks(run.pending_marks, c));
}

std::optional<std::string_view> find_combination(int letter, unsigned marks) {
  if (letter < 0 || letter > 255 || marks > 127) return std::nullopt;
  if (const auto* row = find_combination_row(static_cast<unsigned char>(letter), marks))
    return row->entity;
  return std::nullopt;
}

void resolve_letter(greek_run& run, int c) {
  auto entity = find_combination(c, run.pending_marks);
  if (!entity) run.source.fail(invalid_combination_message, describe_marks(run.pending_marks, c));
  run.sink.write(*entity);
  run.pending_marks = 0;
}

}  // namespace grapho
