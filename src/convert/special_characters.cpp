// The characters of a run that do more than look up a fixed text.
#include <string_view>

#include "convert/greek_run.hpp"

namespace grapho {
namespace {

// A doubled `single` becomes `pair_text`; a single one is written as it is, and
// the character after it is returned to the run to be handled as usual.
void write_single_or_pair(greek_run& run, char single, std::string_view pair_text) {
  int next = run.source.read_source_char();
  if (next == single) {
    run.sink.write(pair_text);
    return;
  }
  run.sink.put(single);
  run.source.push_back(next);
}

// The pair action of `single`, with its text from the table of pairs.
void write_pair_of(greek_run& run, char single) {
  for (const auto& pair : pair_entries)
    if (pair.key == single) write_single_or_pair(run, single, pair.entity);
}

}  // namespace

void write_quotation_mark(greek_run& run) {
  const bool opens = run.quotes == quote_state::next_opens;
  run.sink.write(opens ? opening_quote_entity : closing_quote_entity);
  run.quotes = opens ? quote_state::next_closes : quote_state::next_opens;
}

void write_sigma(greek_run& run) {
  int next = run.source.read_source_char();
  run.sink.write(keeps_sigma_medial(next) ? medial_sigma_entity : final_sigma_entity);
  run.source.push_back(next);
}

void write_dash_or_en_dash(greek_run& run) {
  write_pair_of(run, '-');
}
void write_bracket_or_left_white_bracket(greek_run& run) {
  write_pair_of(run, '[');
}
void write_bracket_or_right_white_bracket(greek_run& run) {
  write_pair_of(run, ']');
}
void write_brace_or_left_angle_bracket(greek_run& run) {
  write_pair_of(run, '{');
}
void write_brace_or_right_angle_bracket(greek_run& run) {
  write_pair_of(run, '}');
}

}  // namespace grapho
