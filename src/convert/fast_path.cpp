// The fast path's checks of its table of texts at compile time, and the choice
// of its compilation that the processor runs.
#include "convert/fast_path.hpp"

#include <algorithm>
#include <array>
#include <cstdint>

#include "convert/fast_path_classes.hpp"
#include "convert/fast_path_texts.hpp"
#include "simd/instruction_set.hpp"

namespace grapho {

// The fast path of each instruction set compiled in (fast_path_*.cpp).
fast_path_progress translate_span_scalar(std::span<const unsigned char> input,
                                         std::span<char> output, bool in_run);
fast_path_progress translate_span_avx2(std::span<const unsigned char> input, std::span<char> output,
                                       bool in_run);
fast_path_progress translate_span_neon(std::span<const unsigned char> input, std::span<char> output,
                                       bool in_run);
fast_path_progress translate_span_simd128(std::span<const unsigned char> input,
                                          std::span<char> output, bool in_run);

namespace {

static_assert(std::all_of(text_slots.begin(), text_slots.end(), [](const text_slot& slot) {
  return slot.size <= fast_path_output_per_byte;
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

}  // namespace

fast_path_progress translate_span(std::span<const unsigned char> input, std::span<char> output,
                                  bool in_run) {
  switch (active_instruction_set()) {
#if GRAPHO_SIMD_AVX2
    case instruction_set::avx2:
      return translate_span_avx2(input, output, in_run);
#endif
#if GRAPHO_SIMD_NEON
    case instruction_set::neon:
      return translate_span_neon(input, output, in_run);
#endif
#if GRAPHO_SIMD_SIMD128
    case instruction_set::simd128:
      return translate_span_simd128(input, output, in_run);
#endif
    default:
      return translate_span_scalar(input, output, in_run);
  }
}

}  // namespace grapho
