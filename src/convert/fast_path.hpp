// The fast path of the conversion: the one contract between the converter and
// the code that translates whole stretches of buffered input at once.
//
// It translates what it can from an input span into an output span and says
// how far it got in both, stopping before anything it leaves to the general
// path: a special character of a run ("-", quotes, brackets, "&"), marks that
// do not resolve with the letter after them, "$$" outside a run, and the last
// byte of the span, which it needs the byte after to judge. It never stops
// with marks pending, so the general path takes over at a plain character,
// inside or outside a run. It reads only the input span and writes only the
// output span; with little room it translates less.
#pragma once

#include <cstddef>
#include <span>

namespace grapho {

struct fast_path_progress {
  std::size_t read;
  std::size_t written;
  // Whether the input read so far ends inside a run.
  bool in_run;
};

fast_path_progress translate_span(std::span<const unsigned char> input, std::span<char> output,
                                  bool in_run);

// The most the fast path writes for one input byte. It works in blocks of up
// to 64 bytes and stores each text as one block of 16 bytes, so past its last
// text a block may store up to `fast_path_store_overhang` bytes.
inline constexpr std::size_t fast_path_output_per_byte = 9;
inline constexpr std::size_t fast_path_block_size = 64;
inline constexpr std::size_t fast_path_store_overhang = 16;

// The output room in which translate_span can translate all of `input_size` bytes.
constexpr std::size_t fast_path_room(std::size_t input_size) {
  return input_size * fast_path_output_per_byte + fast_path_store_overhang;
}

}  // namespace grapho
