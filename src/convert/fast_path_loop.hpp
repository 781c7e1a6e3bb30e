// The fast path's loop over blocks, shared by every instruction set, each
// compiling it in a file of its own around its own preparation of a block:
// hence the unnamed namespace, which keeps each compilation to its own file.
//
// The input goes in blocks of up to 64 bytes. A block's preparation classifies
// its bytes, finds its masks (fast_path_classes.hpp) and writes the offset of
// each byte's text in the table of texts (fast_path_texts.hpp): outside a run
// the byte itself; inside, its letter entity or the byte itself, the final
// sigma, or the letter with its marks. Last, each text is copied as one block
// of 16 bytes and the output moves on by the text's size, with no branch per
// byte.
//
// A preparation is called as
//   block_masks prepare(const unsigned char* block, std::size_t size, bool in_run,
//                       std::uint16_t* offsets, std::uint64_t& unsure_letters)
// on a block of 64 bytes followed by one more, of which `size` count; it sets
// `unsure_letters` to the letters with marks whose texts it has not checked
// (see stop_before_missing_text).
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "convert/fast_path.hpp"
#include "convert/fast_path_classes.hpp"
#include "convert/fast_path_texts.hpp"

namespace grapho {
namespace {

struct block_result {
  std::size_t read;
  char* out;
  bool in_run;
  // Whether the block stopped before something the general path must take.
  bool stopped;
};

// Where the block stops before a letter whose marks have no text: at its first
// mark, or at `stop` when there is none before.
inline std::size_t stop_before_missing_text(const block_masks& masks, std::uint64_t letters,
                                            const std::uint16_t* offsets, std::size_t stop) {
  for (; letters != 0; letters &= letters - 1) {
    auto letter = static_cast<std::size_t>(std::countr_zero(letters));
    if (letter >= stop) break;
    if (!has_text(offsets[letter])) return letter - ones_before(masks.run_marks, letter);
  }
  return stop;
}

// Translates up to `size` bytes (at most 64) of `block`, reading the byte after
// them too. A shorter block is first copied into one of 64 bytes, so that the
// same code takes it.
template <auto prepare>
[[gnu::always_inline]] inline block_result translate_block(const unsigned char* block,
                                                           std::size_t size, bool in_run,
                                                           char* out) {
  alignas(32) std::uint16_t offsets[fast_path_block_size];
  std::uint64_t unsure_letters;
  block_masks masks;
  if (size == fast_path_block_size) {
    masks = prepare(block, size, in_run, offsets, unsure_letters);
  } else {
    unsigned char whole[fast_path_block_size + 1] = {};
    std::memcpy(whole, block, size + 1);
    masks = prepare(whole, size, in_run, offsets, unsure_letters);
  }
  const std::size_t end = masks.end;
  const std::size_t stop =
      unsure_letters == 0 ? masks.stop
                          : stop_before_missing_text(masks, unsure_letters, offsets, masks.stop);

  // Marks that end the block write nothing, so a block that stops nowhere
  // writes all its texts, as many as a whole block has most often.
  const std::size_t count = stop < end ? stop : size;
  char* written = count == fast_path_block_size ? write_block_texts(offsets, out)
                                                : write_texts(offsets, count, out);
  bool run_after = stop == 0 ? in_run : (masks.run_after >> (stop - 1) & 1) != 0;
  return {stop, written, run_after, stop < end};
}

// The fast path's contract (see translate_span), over one preparation.
template <auto prepare>
fast_path_progress translate_blocks(std::span<const unsigned char> input, std::span<char> output,
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
      const auto* escape =
          static_cast<const unsigned char*>(std::memchr(in, escape_character, span));
      auto plain = static_cast<std::size_t>((escape ? escape : in + span) - in);
      std::memcpy(out, in, plain);
      in += plain;
      out += plain;
      room -= plain;
      if (escape == nullptr || room < fast_path_room(1)) break;
      left -= plain;
    }
    // A whole block most often; a division only when room is short.
    std::size_t size = room >= fast_path_room(fast_path_block_size)
                           ? fast_path_block_size
                           : (room - fast_path_store_overhang) / fast_path_output_per_byte;
    size = std::min(size, left - 1);
    block_result block = translate_block<prepare>(in, size, in_run, out);
    in += block.read;
    out = block.out;
    in_run = block.in_run;
    if (block.stopped || block.read == 0) break;
  }
  return {static_cast<std::size_t>(in - input.data()),
          static_cast<std::size_t>(out - output.data()), in_run};
}

}  // namespace
}  // namespace grapho
