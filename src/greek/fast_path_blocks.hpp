// What the fast path's block classifiers share: the classes of input bytes,
// the layout of the table of texts, and the interface of a classifier. Private
// to the fast path.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "greek/dispatch.hpp"

namespace grapho {

// ---------------------------------------------------------------------------
// Classes of bytes, each a bit.

enum : std::uint8_t {
  class_dollar = 1,    // the escape character, which opens and closes runs
  class_sigma = 2,     // "s", medial or final by what follows it
  class_mark = 4,      // a diacritic mark
  class_letter = 8,    // an ASCII letter, "s" included
  class_special = 16,  // in a run, left to the general path: "-", quotes, brackets, "&"
  class_bracket = 32,  // neither letter nor mark, yet keeps a sigma before it medial
};

// The bit of each mark character; 0 for every other character.
inline constexpr auto mark_bit_by_character = [] {
  std::array<std::uint8_t, 256> bits{};
  for (const auto& mark : mark_table)
    bits[static_cast<unsigned char>(mark.key)] = static_cast<std::uint8_t>(mark.bit);
  return bits;
}();

inline constexpr auto byte_values = [] {
  std::array<char, 256> bytes{};
  for (std::size_t c = 0; c < bytes.size(); ++c) bytes[c] = static_cast<char>(c);
  return bytes;
}();

// The text a character of a run stands for when no mark is pending and it
// depends on nothing around it, or an empty view: the letter or sign entity,
// or the character itself when it has no action.
constexpr std::string_view fixed_run_text(int c) {
  std::string_view text = letter_entity(c);
  if (text.empty() && !action_for(c) && c != escape_character)
    text = std::string_view(&byte_values[static_cast<std::size_t>(c)], 1);
  return text;
}

// The longest text that a slot of the table of texts (below) holds.
inline constexpr std::size_t slot_text_size = 14;

// The classes of each byte value, from the tables. A special character is any
// other than "$", "s" and the marks that has no fixed text, or one too long
// for a slot (the "&" of kai).
inline constexpr auto class_by_character = [] {
  std::array<std::uint8_t, 256> classes{};
  for (int c = 0; c < 256; ++c) {
    auto& cls = classes[static_cast<std::size_t>(c)];
    bool mark = mark_bit_by_character[static_cast<std::size_t>(c)] != 0;
    if (c == escape_character) cls |= class_dollar;
    if (c == sigma_key) cls |= class_sigma;
    if (mark) cls |= class_mark;
    if (is_letter(c)) cls |= class_letter;
    if (keeps_sigma_medial(c) && !is_letter(c) && !mark) cls |= class_bracket;
    std::size_t text_size = fixed_run_text(c).size();
    if (c != escape_character && c != sigma_key && !mark &&
        (text_size == 0 || text_size > slot_text_size))
      cls |= class_special;
  }
  return classes;
}();

// ---------------------------------------------------------------------------
// Block classifiers.

// One bit per byte of a block of up to 64 bytes, bit i for byte i.
struct block_classes {
  std::uint64_t dollar = 0;
  std::uint64_t sigma = 0;
  std::uint64_t mark = 0;
  std::uint64_t letter = 0;
  std::uint64_t special = 0;
  std::uint64_t bracket = 0;
};

// The table of texts, in slots of 16 bytes: a text of up to 14 bytes, then
// its size in 16 bits. It holds a slot for each byte value outside runs, one
// for each inside, the final sigma, then a row of 128 slots, one for each mark
// set, for each letter with marks. A letter's row is twice the place of its
// small form in `letters_with_marks` (8 for any other letter), plus 1 for a
// capital: the row and the mark set are then simple to compute with SIMD.
// Slots are addressed by their offset in bytes, which fits 16 bits.
inline constexpr std::size_t slot_size = 16;
inline constexpr std::size_t run_slots_first = 256;
inline constexpr std::size_t final_sigma_slot = 512;
inline constexpr std::size_t marked_letter_slots_first = 768;
inline constexpr std::string_view letters_with_marks = "aehiouwr";
inline constexpr std::size_t marked_letter_rows = 2 * (letters_with_marks.size() + 1);

constexpr std::size_t marked_letter_row(int c) {
  bool capital = c >= 'A' && c <= 'Z';
  std::size_t base = letters_with_marks.find(static_cast<char>(capital ? c - 'A' + 'a' : c));
  return 2 * std::min(base, letters_with_marks.size()) + (capital ? 1 : 0);
}

constexpr std::uint16_t marked_letter_offset(int c, unsigned marks) {
  return static_cast<std::uint16_t>(
      (marked_letter_slots_first + 128 * marked_letter_row(c) + marks) * slot_size);
}

// What a block's bytes stand for, beyond their own value: one bit per byte.
struct block_contexts {
  std::uint64_t run = 0;            // in a run
  std::uint64_t final_sigma = 0;    // a final sigma
  std::uint64_t marked_letter = 0;  // a letter after marks, at most three
};

// A classifier of whole blocks of 64 bytes, for one kind of processor.
struct block_classifier {
  block_classes (*classify)(const unsigned char* block);
  // Writes the offset of each byte's text in the table of texts.
  void (*write_offsets)(const unsigned char* block, const block_contexts& contexts,
                        std::uint16_t* offsets);
};

#if GRAPHO_SIMD_X86
#if !defined(__x86_64__) || !defined(__GNUC__)
#error "The SIMD classifiers need x86-64 and GCC or clang"
#endif
extern const block_classifier sse42_classifier;
extern const block_classifier avx2_classifier;
#endif

}  // namespace grapho
