#include "greek/dispatch.hpp"
#include "greek/greek_run.hpp"

namespace grapho {
namespace {

// One character of the run that is not a letter with marks pending.
void translate_plain_char(greek_run& run, int c) {
  if (auto entity = letter_entity(c); !entity.empty()) {
    run.sink.write(entity);
  } else if (action act = action_for(c)) {
    act(run);
  } else {
    run.sink.put(static_cast<char>(c));
  }
}

}  // namespace

void translate_greek_run(char_source& source, output_sink& sink, bool& quote_state) {
  greek_run run{source, sink, quote_state};
  for (;;) {
    if (run.pending_marks == 0) translate_common_characters(run);
    // The general path, one character at a time.
    int c = source.read_source_char();
    if (c == end_of_input || c == escape_character) return;
    if (run.pending_marks != 0) {
      check_marks(run, c);
      if (is_letter(c)) {
        resolve_letter(run, c);
        continue;
      }
    }
    translate_plain_char(run, c);
  }
}

}  // namespace grapho
