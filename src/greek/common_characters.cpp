// The fast path of the run translator. Most of a run is letters, marks and
// spaces whose translation depends on nothing before them; they are
// translated here straight from the input buffer into the output buffer, one
// table look-up each. Whatever is less simple (a line end, the closing "$", a
// special character, marks that break a rule or wait for a non-letter, the
// end of either buffer) is left to the general path, which handles it one
// character at a time and then returns here.
#include <algorithm>
#include <cstring>

#include "greek/dispatch.hpp"
#include "greek/greek_run.hpp"

namespace grapho {
namespace {

// The most that the fast path stores into the output for one input character:
// texts are copied in blocks of 16 bytes, of which the first `size` count.
constexpr std::size_t most_stored_per_character = sizeof(fixed_text);

// The fast path works in blocks of input characters for which the output is
// sure to have room; a block of this many is worth draining the output for.
constexpr std::size_t block_characters = 256;

// Marks from `p` on and the letter after them, as one step: returns the row of
// the letter with its marks and sets `next` past the letter; returns nullptr
// when the marks break a rule or do not end in a letter with a row, so that
// the general path takes them one by one and reports what is wrong.
const combination_row* marked_letter(const unsigned char* p, const unsigned char* end,
                                     const unsigned char*& next) {
  unsigned marks = 0;
  for (; p < end && mark_bit_by_character[*p] != 0; ++p) {
    marks |= mark_bit_by_character[*p];
    if (!mark_set_is_valid[marks]) return nullptr;
  }
  if (p == end) return nullptr;
  next = p + 1;
  return find_combination_row(*p, marks);
}

}  // namespace

void translate_common_characters(greek_run& run) {
  std::span<char> room = run.sink.reserve(block_characters * most_stored_per_character);
  std::span<const unsigned char> input = run.source.pending();
  const unsigned char* p = input.data();
  const unsigned char* const input_end = p + input.size();
  const unsigned char* const block_end =
      p + std::min(input.size(), room.size() / most_stored_per_character);
  char* out = room.data();
  // Each sigma reads the character after it, which is then read again.
  std::uint64_t rereads = 0;

  while (p < block_end) {
    const fixed_text& text = fixed_text_by_character[*p];
    if (text.size != 0) {
      std::memcpy(out, &text, sizeof text);
      out += text.size;
      ++p;
    } else if (mark_bit_by_character[*p] != 0) {
      const unsigned char* next = p;
      const combination_row* row = marked_letter(p, block_end, next);
      if (row == nullptr) break;
      std::memcpy(out, row->entity.data(), combination_entity_size);
      out += combination_entity_size;
      p = next;
    } else if (*p == 's' && p + 1 < input_end && p[1] != '\n') {
      // A line end after "s" would be counted twice; the general path does that.
      bool medial = sigma_stays_medial_before[p[1]];
      std::memcpy(out, medial ? "&sigma;" : "&sigmaf;", 8);
      out += medial ? 7 : 8;
      ++rereads;
      ++p;
    } else {
      break;
    }
  }
  run.sink.commit(out);
  run.source.skip(p, rereads);
}

}  // namespace grapho
