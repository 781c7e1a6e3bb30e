#include "convert/page.hpp"

#include <algorithm>
#include <cstddef>

#include "convert/dispatch.hpp"
#include "convert/fast_path.hpp"
#include "convert/greek_run.hpp"
#include "io/char_source.hpp"
#include "io/output_sink.hpp"

namespace grapho {
namespace {

// The least input that the output room must take in full before the fast path
// is started.
constexpr std::size_t fast_path_least_input = 4096;

// Translates as much of the buffered input as the fast path can, from outside
// a run or inside one with no marks pending; returns whether it ends inside a
// run (one it opened, or the one it started in).
bool translate_buffered(char_source& source, output_sink& sink, bool in_run) {
  std::span<const unsigned char> input = source.pending();
  // Room for a part of the input will do: the fast path translates what fits,
  // and the output buffer is written when it is nearly full rather than once
  // for every buffer of input, in fewer and larger pieces.
  std::span<char> room =
      sink.reserve(fast_path_room(std::min(input.size(), fast_path_least_input)));
  fast_path_progress progress = translate_span(input, room, in_run);
  sink.commit(room.data() + progress.written);
  source.consume(input.data() + progress.read);
  return progress.in_run;
}

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

// Translates the run whose opening "$" has just been read, up to and including
// the closing "$", or to end of input.
void translate_greek_run(char_source& source, output_sink& sink, quote_state& quotes) {
  greek_run run{source, sink, quotes};
  for (;;) {
    // The fast path may close this run and go on through others; it returns
    // inside a run, or outside after the last one it closed.
    if (run.pending_marks == 0 && !translate_buffered(source, sink, true)) return;
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

}  // namespace

void convert_page(char_source& source, output_sink& sink, quote_state& quotes) {
  for (;;) {
    if (translate_buffered(source, sink, false)) {
      translate_greek_run(source, sink, quotes);
      continue;
    }
    int c = source.read_source_char();
    if (c == end_of_input) return;
    if (c != escape_character) {
      sink.put(static_cast<char>(c));
      continue;
    }
    int next = source.read_source_char();
    if (next == escape_character) {
      sink.put('$');
      continue;
    }
    source.push_back(next);
    translate_greek_run(source, sink, quotes);
  }
}

}  // namespace grapho
