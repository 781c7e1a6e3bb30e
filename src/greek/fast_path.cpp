// The fast path. The input goes in blocks of up to 64 bytes. A classifier
// marks in one bit per byte the bytes of each class (for whole blocks with
// SIMD where the processor has it). Bit operations on these masks find which
// bytes are in a run (every "$" opens or closes one), where the block must
// stop, which sigmas are final and which letters carry marks. The classifier
// then gives each byte the offset of its text in one table: outside a run the
// byte itself; inside, its letter entity or the byte itself, the final sigma,
// or the letter with its marks. Last, each text is copied as one block of 16
// bytes and the output moves on by the text's size, with no branch per byte.
#include "greek/fast_path.hpp"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "greek/fast_path_blocks.hpp"

namespace grapho {
namespace {

// ---------------------------------------------------------------------------
// The table of texts.

struct alignas(slot_size) text_slot {
  char text[slot_text_size];
  std::uint16_t size;
};
static_assert(sizeof(text_slot) == slot_size);

constexpr text_slot make_slot(std::string_view text) {
  text_slot slot{};
  std::copy(text.begin(), text.end(), slot.text);
  slot.size = static_cast<std::uint16_t>(text.size());
  return slot;
}

// In a run, marks and "$" write nothing, "s" writes a medial sigma unless
// told otherwise, and the special characters never reach the table.
constexpr std::string_view run_slot_text(int c) {
  auto cls = class_by_character[static_cast<std::size_t>(c)];
  if (cls & class_sigma) return "&sigma;";
  if (cls & (class_dollar | class_mark | class_special)) return {};
  return fixed_run_text(c);
}

inline constexpr auto text_slots = [] {
  std::array<text_slot, marked_letter_slots_first + 128 * marked_letter_rows> slots{};
  for (int c = 0; c < 256; ++c) {
    auto byte = static_cast<std::size_t>(c);
    // Outside a run a "$" opens one and writes nothing; "$$" goes the general way.
    slots[byte] = make_slot(c == escape_character ? std::string_view()
                                                  : std::string_view(&byte_values[byte], 1));
    slots[run_slots_first + byte] = make_slot(run_slot_text(c));
  }
  slots[final_sigma_slot] = make_slot("&sigmaf;");
  for (std::size_t slot = marked_letter_slots_first; slot < slots.size(); ++slot)
    slots[slot].size = fast_path_invalid_text_size;
  for (const auto& row : combination_table)
    slots[marked_letter_offset(row.letter, row.marks) / slot_size] = make_slot(row.entity);
  return slots;
}();

static_assert(std::all_of(text_slots.begin(), text_slots.end(), [](const text_slot& slot) {
  return slot.size <= fast_path_output_per_byte || slot.size == fast_path_invalid_text_size;
}));
static_assert(fast_path_store_overhang >= slot_size);
// Every offset fits the 16 bits the classifiers write.
static_assert(text_slots.size() * slot_size <= 65536);
// Every letter with marks has a slot of its own.
static_assert([] {
  std::array<bool, text_slots.size()> taken{};
  for (const auto& row : combination_table) {
    bool& slot = taken[marked_letter_offset(row.letter, row.marks) / slot_size];
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

bool has_text(std::uint16_t offset) {
  return text_slots[offset / slot_size].size != fast_path_invalid_text_size;
}

// Copies the text at `offset`, as 16 bytes, and moves on by its size.
char* write_text(std::size_t offset, char* out) {
  const auto* texts = reinterpret_cast<const char*>(text_slots.data());
  std::uint16_t size;
  std::memcpy(&size, texts + slot_text_size + offset, sizeof size);
  std::memcpy(out, texts + offset, slot_size);
  return out + size;
}

// Eight texts at a time, then one at a time.
char* write_eight_texts(const std::uint16_t* offsets, char* out) {
  for (std::size_t i = 0; i < 8; ++i) out = write_text(offsets[i], out);
  return out;
}

char* write_texts(const std::uint16_t* offsets, std::size_t count, char* out) {
  std::size_t i = 0;
  for (; i + 8 <= count; i += 8) out = write_eight_texts(offsets + i, out);
  for (; i < count; ++i) out = write_text(offsets[i], out);
  return out;
}

// The same for a whole block, where the loop's end is always the same.
char* write_block_texts(const std::uint16_t* offsets, char* out) {
  for (std::size_t i = 0; i < fast_path_block_size; i += 8)
    out = write_eight_texts(offsets + i, out);
  return out;
}

// The offset of each letter's row with no marks.
inline constexpr auto marked_letter_offset_by_character = [] {
  std::array<std::uint16_t, 256> offsets{};
  for (int c = 0; c < 256; ++c) offsets[static_cast<std::size_t>(c)] = marked_letter_offset(c, 0);
  return offsets;
}();

// ---------------------------------------------------------------------------
// The portable classifier, eight bytes at a time; it also takes the last,
// shorter block of a span.

// The classes of eight bytes side by side, one byte each, become one bit of
// each mask: a multiplication gathers the eight bits into the top byte.
std::uint64_t gather_class(std::uint64_t classes, std::uint8_t cls) {
  constexpr std::uint64_t low_bits = 0x0101010101010101;
  constexpr std::uint64_t gather = 0x0102040810204080;
  int shift = std::countr_zero(cls);
  return (((classes >> shift) & low_bits) * gather) >> 56;
}

block_classes classify_bytes(const unsigned char* block, std::size_t size) {
  block_classes masks;
  auto add_eight = [&](std::uint64_t classes, std::size_t first) {
    masks.dollar |= gather_class(classes, class_dollar) << first;
    masks.sigma |= gather_class(classes, class_sigma) << first;
    masks.mark |= gather_class(classes, class_mark) << first;
    masks.letter |= gather_class(classes, class_letter) << first;
    masks.special |= gather_class(classes, class_special) << first;
    masks.bracket |= gather_class(classes, class_bracket) << first;
  };
  std::size_t first = 0;
  for (; first + 8 <= size; first += 8) {
    std::uint64_t classes = 0;
    for (std::size_t i = 0; i < 8; ++i)
      classes |= std::uint64_t{class_by_character[block[first + i]]} << (8 * i);
    add_eight(classes, first);
  }
  if (first < size) {
    std::uint64_t classes = 0;
    for (std::size_t i = 0; first + i < size; ++i)
      classes |= std::uint64_t{class_by_character[block[first + i]]} << (8 * i);
    add_eight(classes, first);
  }
  return masks;
}

void write_byte_offsets(const unsigned char* block, std::size_t size,
                        const block_contexts& contexts, std::uint16_t* offsets) {
  // Four at a time where words are little-endian, in the four 16-bit lanes of
  // a 64-bit word: the bytes, and each one's run bit moved to the bottom of
  // its lane by a multiplication.
  constexpr std::uint64_t lanes = 0x0001000100010001;
  constexpr std::uint64_t bit_to_lane = 1 | 1ull << 15 | 1ull << 30 | 1ull << 45;
  std::size_t i = 0;
  for (; std::endian::native == std::endian::little && i + 4 <= size; i += 4) {
    std::uint32_t four;
    std::memcpy(&four, block + i, sizeof four);
    std::uint64_t bytes = (four | std::uint64_t{four} << 16) & 0x0000ffff0000ffff;
    bytes = (bytes | bytes << 8) & 0x00ff00ff00ff00ff;
    std::uint64_t runs = ((contexts.run >> i & 0xf) * bit_to_lane) & lanes;
    std::uint64_t words = (bytes | runs * run_slots_first) * slot_size;
    std::memcpy(offsets + i, &words, sizeof words);
  }
  for (; i < size; ++i)
    offsets[i] = static_cast<std::uint16_t>((block[i] + (contexts.run >> i & 1) * run_slots_first) *
                                            slot_size);
  for (std::uint64_t sigmas = contexts.final_sigma; sigmas != 0; sigmas &= sigmas - 1)
    offsets[std::countr_zero(sigmas)] = final_sigma_slot * slot_size;
  for (std::uint64_t letters = contexts.marked_letter; letters != 0; letters &= letters - 1) {
    auto letter = static_cast<std::size_t>(std::countr_zero(letters));
    unsigned marks = 0;
    for (std::size_t i = letter; i > 0 && (class_by_character[block[i - 1]] & class_mark); --i)
      marks |= mark_bit_by_character[block[i - 1]];
    offsets[letter] = marked_letter_offset_by_character[block[letter]] + marks * slot_size;
  }
}

// ---------------------------------------------------------------------------
// Choosing the classifier.

block_planner planner_of(fast_path_kind kind) {
#if GRAPHO_SIMD_X86
  if (kind == fast_path_kind::avx2) return plan_block_avx2;
  if (kind == fast_path_kind::sse42) return plan_block_sse42;
#endif
  (void)kind;
  return nullptr;
}

fast_path_kind best_available() {
  for (auto kind : {fast_path_kind::avx2, fast_path_kind::sse42})
    if (fast_path_available(kind)) return kind;
  return fast_path_kind::scalar;
}

fast_path_kind active_kind = best_available();
block_planner active_planner = planner_of(active_kind);

// ---------------------------------------------------------------------------
// One block.

struct block_result {
  std::size_t read;
  char* out;
  bool in_run;
  // Whether the block stopped before something the general path must take.
  bool stopped;
};

// The portable planner, which also takes the last, shorter block of a span.
block_plan plan_bytes(const unsigned char* block, std::size_t size, bool in_run,
                      std::uint16_t* offsets) {
  block_plan plan =
      plan_block(classify_bytes(block, size), size, in_run, class_by_character[block[size]]);
  write_byte_offsets(block, size, plan.contexts, offsets);
  return plan;
}

// Translates up to `size` bytes (at most 64) of `block`, reading the byte after them too.
block_result translate_block(const unsigned char* block, std::size_t size, bool in_run, char* out) {
  alignas(32) std::uint16_t offsets[fast_path_block_size];
  const block_plan plan = size == fast_path_block_size && active_planner != nullptr
                              ? active_planner(block, in_run, offsets)
                              : plan_bytes(block, size, in_run, offsets);
  std::size_t stop = plan.stop;
  const std::size_t end = plan.end;

  // Marks that end the block write nothing, so a block that stops nowhere
  // writes all its texts, as many as a whole block has most often.
  const std::size_t count = stop < end ? stop : size;
  char* written = count == fast_path_block_size ? write_block_texts(offsets, out)
                                                : write_texts(offsets, count, out);
  if (static_cast<std::size_t>(written - out) > count * fast_path_output_per_byte) {
    // A letter whose marks have no text: stop at its first mark.
    std::uint64_t letters = plan.contexts.marked_letter;
    while (has_text(offsets[std::countr_zero(letters)])) letters &= letters - 1;
    auto letter = static_cast<std::size_t>(std::countr_zero(letters));
    stop = letter - ones_before(plan.run_marks, letter);
    written = write_texts(offsets, stop, out);
  }
  bool run_after = stop == 0 ? in_run : (plan.run_after >> (stop - 1) & 1) != 0;
  return {stop, written, run_after, stop < end};
}

}  // namespace

bool fast_path_available(fast_path_kind kind) {
#if GRAPHO_SIMD_X86
  __builtin_cpu_init();
  if (kind == fast_path_kind::avx2)
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
           __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt");
  if (kind == fast_path_kind::sse42)
    return __builtin_cpu_supports("sse4.2") && __builtin_cpu_supports("popcnt");
#endif
  return kind == fast_path_kind::scalar;
}

fast_path_kind active_fast_path() {
  return active_kind;
}

bool force_fast_path(fast_path_kind kind) {
  if (!fast_path_available(kind)) return false;
  active_kind = kind;
  active_planner = planner_of(kind);
  return true;
}

fast_path_progress translate_span(std::span<const unsigned char> input, std::span<char> output,
                                  bool in_run) {
  const unsigned char* in = input.data();
  const unsigned char* in_end = in + input.size();
  char* out = output.data();
  char* out_end = out + output.size();
  for (;;) {
    // A block needs the byte after it, and room for its longest translation.
    auto left = static_cast<std::size_t>(in_end - in);
    auto room = static_cast<std::size_t>(out_end - out);
    if (left < 2 || room < fast_path_room(1)) break;
    if (!in_run) {
      // Text outside runs is copied up to the next "$" in one piece.
      std::size_t span = std::min(left - 1, room - fast_path_store_overhang);
      const auto* dollar =
          static_cast<const unsigned char*>(std::memchr(in, escape_character, span));
      auto plain = static_cast<std::size_t>((dollar ? dollar : in + span) - in);
      std::memcpy(out, in, plain);
      in += plain;
      out += plain;
      room -= plain;
      if (dollar == nullptr || room < fast_path_room(1)) break;
      left -= plain;
    }
    std::size_t size = std::min({fast_path_block_size, left - 1,
                                 (room - fast_path_store_overhang) / fast_path_output_per_byte});
    block_result block = translate_block(in, size, in_run, out);
    in += block.read;
    out = block.out;
    in_run = block.in_run;
    if (block.stopped || block.read == 0) break;
  }
  return {static_cast<std::size_t>(in - input.data()),
          static_cast<std::size_t>(out - output.data()), in_run};
}

}  // namespace grapho
