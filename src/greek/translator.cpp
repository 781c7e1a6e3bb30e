#include "greek/greek_run.hpp"
#include "greek/tables.hpp"

namespace grapho {
namespace {

using action = void (*)(greek_run&);

struct action_entry {
  int character;
  action run;
};

// Characters with behaviour of their own, searched from first to last.
constexpr action_entry action_table[] = {
    {'"', write_quotation_mark},
    {'-', write_dash_or_en_dash},
    {'/', add_pending_mark<acute>},
    {'<', add_pending_mark<rough>},
    {'=', add_pending_mark<diaeresis>},
    {'>', add_pending_mark<smooth>},
    {'[', write_bracket_or_left_white_bracket},
    {'\\', add_pending_mark<grave>},
    {']', write_bracket_or_right_white_bracket},
    {'^', add_pending_mark<circumflex>},
    {'s', write_sigma},
    {'{', write_brace_or_left_angle_bracket},
    {'|', add_pending_mark<iota_subscript>},
    {'}', write_brace_or_right_angle_bracket},
};

std::string_view letter_entity(int c) {
  if (c < letter_table_first || c >= letter_table_first + static_cast<int>(letter_table.size()))
    return {};
  return letter_table[c - letter_table_first];
}

action find_action(int c) {
  for (const auto& entry : action_table)
    if (entry.character == c) return entry.run;
  return nullptr;
}

// One character of the run that is not a letter with marks pending.
void translate_plain_char(greek_run& run, int c) {
  if (auto entity = letter_entity(c); !entity.empty()) {
    run.sink.write(entity);
  } else if (auto act = find_action(c)) {
    act(run);
  } else {
    run.sink.put(static_cast<char>(c));
  }
}

}  // namespace

void translate_greek_run(char_source& source, output_sink& sink, bool& quote_state) {
  greek_run run{source, sink, quote_state};
  for (;;) {
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
