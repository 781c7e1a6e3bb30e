// The fast path of the run translator. Most of a run is letters, marks and
// spaces whose translation depends on nothing before them; they are
// translated here straight from the input buffer into the output buffer, one
// table look-up each. Whatever is less simple (a line end, the closing "$", a
// special character, marks that break a rule or wait for a non-letter, the
// end of the buffered input) is left to the general path, which handles it one
// character at a time and then returns here.
#include <algorithm>
#include <cstring>

#include "greek/dispatch.hpp"
#include "greek/greek_run.hpp"

namespace grapho {
namespace {

// The scan below stops at every line end, the guard after the pending input
// included, so it needs no bounds checks.
static_assert(char_source::guard == '\n');
static_assert(fixed_text_size_by_character['\n'] == 0 && mark_bit_by_character['\n'] == 0);

// Every step stores at most this much, so the room reserved for the pending
// input is enough.
static_assert(sizeof(fixed_text) <= most_stored_per_character &&
              combination_entity_size <= most_stored_per_character);

// Marks from `p` on and the letter after them, as one step: returns the row of
// the letter with its marks and sets `next` past the letter; returns nullptr
// when the marks break a rule or do not end in a letter with a row, so that
// the general path takes them one by one and reports what is wrong. Marks only
// add up, and a set that breaks a rule still breaks it with more marks, so the
// final set alone needs checking.
const combination_row* marked_letter(const unsigned char* p, const unsigned char*& next) {
  unsigned marks = 0;
  for (; mark_bit_by_character[*p] != 0; ++p) marks |= mark_bit_by_character[*p];
  if (!mark_set_is_valid[marks]) return nullptr;
  next = p + 1;
  return find_combination_row(*p, marks);
}

}  // namespace

void translate_common_characters(greek_run& run) {
  std::span<const unsigned char> input = run.source.pending();
  std::size_t wanted = input.size() * most_stored_per_character;
  std::span<char> room = run.sink.reserve(wanted);
  if (room.size() < wanted) return;
  const unsigned char* p = input.data();
  char* out = room.data();

  for (;;) {
    // Letters and spaces, by far the most common, two at a time: a character
    // with a fixed text is not the guard, so the one after it can be read.
    for (std::size_t first; (first = fixed_text_size_by_character[p[0]]) != 0; p += 2) {
      std::memcpy(out, &fixed_text_by_character[p[0]], sizeof(fixed_text));
      out += first;
      std::size_t second = fixed_text_size_by_character[p[1]];
      if (second == 0) {
        ++p;
        break;
      }
      std::memcpy(out, &fixed_text_by_character[p[1]], sizeof(fixed_text));
      out += second;
    }
    if (mark_bit_by_character[*p] != 0) {
      const unsigned char* next = p;
      const combination_row* row = marked_letter(p, next);
      if (row == nullptr) break;
      std::memcpy(out, row->entity.data(), combination_entity_size);
      out += combination_entity_size;
      p = next;
    } else if (action_for(*p) == write_sigma && p[1] != '\n') {
      // A line end after "s" may be the guard that ends the buffered input,
      // before a character not read yet; the general path reads on.
      bool medial = sigma_stays_medial_before[p[1]];
      std::memcpy(out, medial ? "&sigma;" : "&sigmaf;", 8);
      out += medial ? 7 : 8;
      ++p;
    } else {
      break;
    }
  }
  run.sink.commit(out);
  run.source.consume(p);
}

}  // namespace grapho
