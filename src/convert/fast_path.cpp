// The fast path's checks of its table of texts at compile time, and the choice
// of the translator of spans that the processor runs (see fast_path_blocks.hpp).
#include "convert/fast_path.hpp"

#include <algorithm>
#include <array>
#include <cstdint>

#include "convert/fast_path_blocks.hpp"

namespace grapho {
namespace {

static_assert(std::all_of(text_slots.begin(), text_slots.end(), [](const text_slot& slot) {
  return slot.size <= fast_path_output_per_byte || slot.size == fast_path_invalid_text_size;
}));
static_assert(fast_path_store_overhang >= slot_text_size);
static_assert(final_sigma_slot < marked_letter_slots_first);
// Every offset fits the 16 bits the classifiers write.
static_assert(text_slots.size() * slot_step <= 65536);
// Every letter with marks has a slot of its own.
static_assert([] {
  std::array<bool, text_slots.size()> taken{};
  for (const auto& row : combination_table) {
    bool& slot = taken[marked_letter_offset(row.letter, row.marks) / slot_step];
    if (slot) return false;
    slot = true;
  }
  return true;
}());

// The text of "s" in a run, medial unless the byte after it says otherwise,
// follows the one rule of the general path.
static_assert([] {
  for (int c = 0; c < 256; ++c) {
    bool medial_by_class = (class_by_character[static_cast<std::size_t>(c)] &
                            (class_letter | class_mark | class_bracket)) != 0;
    if (medial_by_class != keeps_sigma_medial(c)) return false;
  }
  return true;
}());

// ---------------------------------------------------------------------------
// Choosing the classifier.

block_masks prepare_whole_block_portably(const unsigned char* block, bool in_run,
                                         std::uint16_t* offsets) {
  return prepare_bytes(block, fast_path_block_size, in_run, offsets);
}

fast_path_progress translate_span_portably(std::span<const unsigned char> input,
                                           std::span<char> output, bool in_run) {
  return translate_blocks<prepare_whole_block_portably>(input, output, in_run);
}

using span_translator = fast_path_progress (*)(std::span<const unsigned char>, std::span<char>,
                                               bool);

span_translator translator_of(fast_path_kind kind) {
#if GRAPHO_SIMD_X86
  if (kind == fast_path_kind::avx2) return translate_span_avx2;
  if (kind == fast_path_kind::sse42) return translate_span_sse42;
#endif
  (void)kind;
  return translate_span_portably;
}

fast_path_kind best_available() {
  for (auto kind : {fast_path_kind::avx2, fast_path_kind::sse42})
    if (fast_path_available(kind)) return kind;
  return fast_path_kind::portable;
}

fast_path_kind active_kind = best_available();
span_translator active_translator = translator_of(active_kind);

}  // namespace

bool fast_path_available(fast_path_kind kind) {
#if GRAPHO_SIMD_X86
  __builtin_cpu_init();
  if (kind == fast_path_kind::avx2)
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
           __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt") &&
           __builtin_cpu_supports("pclmul");
  if (kind == fast_path_kind::sse42)
    return __builtin_cpu_supports("sse4.2") && __builtin_cpu_supports("popcnt");
#endif
  return kind == fast_path_kind::portable;
}

fast_path_kind active_fast_path() {
  return active_kind;
}

bool force_fast_path(fast_path_kind kind) {
  if (!fast_path_available(kind)) return false;
  active_kind = kind;
  active_translator = translator_of(kind);
  return true;
}

fast_path_progress translate_span(std::span<const unsigned char> input, std::span<char> output,
                                  bool in_run) {
  return active_translator(input, output, in_run);
}

}  // namespace grapho
