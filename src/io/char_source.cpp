#include "io/char_source.hpp"

#include <algorithm>
#include <array>
#include <utility>

namespace grapho {
namespace {

struct line_count {
  std::uint64_t line_ends;
  // Offset within the span just past its last line end, when it has one.
  std::ptrdiff_t last_line_start;
};

// The line ends in `rounds` rounds of `width` bytes, at most 255: a count of
// one byte for each place in a round, which compilers keep in SIMD registers.
template <std::size_t width>
[[gnu::always_inline]] inline std::uint64_t count_line_ends_in_rounds(const unsigned char* bytes,
                                                                      std::size_t rounds) {
  std::array<unsigned char, width> counts{};
#pragma GCC unroll 4
  for (std::size_t round = 0; round < rounds; ++round)
    for (std::size_t i = 0; i < width; ++i) counts[i] += bytes[width * round + i] == '\n';
  std::uint64_t total = 0;
  for (unsigned char count : counts) total += count;
  return total;
}

// Rounds of 16 bytes run on any processor; where it has AVX2, rounds of 32
// bytes take half the instructions.
constexpr std::size_t portable_round = 16;
using line_end_counter = std::uint64_t (*)(const unsigned char*, std::size_t);

std::uint64_t count_line_ends_portably(const unsigned char* bytes, std::size_t rounds) {
  return count_line_ends_in_rounds<portable_round>(bytes, rounds);
}

#if GRAPHO_SIMD_X86
constexpr std::size_t avx2_round = 32;
__attribute__((target("avx2"))) std::uint64_t count_line_ends_avx2(const unsigned char* bytes,
                                                                   std::size_t rounds) {
  return count_line_ends_in_rounds<avx2_round>(bytes, rounds);
}
#endif

struct line_end_rounds {
  std::size_t width;
  line_end_counter count;
};

line_end_rounds best_line_end_rounds() {
#if GRAPHO_SIMD_X86
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) return {avx2_round, count_line_ends_avx2};
#endif
  return {portable_round, count_line_ends_portably};
}

const line_end_rounds line_end_rounds_here = best_line_end_rounds();

line_count count_line_ends(std::span<const unsigned char> bytes) {
  constexpr std::size_t most_rounds = 255;
  const auto [width, count_in_rounds] = line_end_rounds_here;
  line_count lines{0, 0};
  std::size_t first = 0;
  for (std::size_t rounds; (rounds = std::min(most_rounds, (bytes.size() - first) / width)) != 0;
       first += width * rounds)
    lines.line_ends += count_in_rounds(bytes.data() + first, rounds);
  lines.line_ends +=
      static_cast<std::uint64_t>(std::count(bytes.begin() + first, bytes.end(), '\n'));
  if (lines.line_ends != 0) {
    auto last = std::find(bytes.rbegin(), bytes.rend(), '\n');
    lines.last_line_start = bytes.rend() - last;
  }
  return lines;
}

}  // namespace

char_source::char_source(byte_reader& reader, std::string path, std::span<unsigned char> buffer)
    : reader_(reader),
      path_(std::move(path)),
      buffer_(buffer),
      next_(buffer.data()),
      end_(buffer.data()) {
  buffer_[0] = guard;
}

bool char_source::refill() {
  if (exhausted_) return false;
  leave_buffer();
  std::size_t count = 0;
  try {
    count = reader_.read(buffer_.data(), buffer_.size() - 1);
  } catch (const read_failure&) {
    // Points at the first byte that could not be read.
    throw conversion_error(position_of(end_), format_message("Cannot read file %s", path_));
  }
  end_ = next_ + count;
  buffer_[count] = guard;
  exhausted_ = count == 0;
  return !exhausted_;
}

void char_source::leave_buffer() {
  auto left = std::span<const unsigned char>(buffer_.data(), end_);
  line_count lines = count_line_ends(left);
  lines_before_buffer_ += lines.line_ends;
  if (lines.line_ends != 0)
    line_start_before_buffer_ =
        bytes_before_buffer_ + static_cast<std::uint64_t>(lines.last_line_start);
  bytes_before_buffer_ += left.size();
  next_ = end_ = buffer_.data();
}

source_position char_source::position_of(const unsigned char* at) const {
  auto before = std::span<const unsigned char>(buffer_.data(), at);
  line_count lines = count_line_ends(before);
  std::uint64_t offset = bytes_before_buffer_ + before.size();
  std::uint64_t line_start =
      lines.line_ends != 0
          ? bytes_before_buffer_ + static_cast<std::uint64_t>(lines.last_line_start)
          : line_start_before_buffer_;
  return {path_, 1 + lines_before_buffer_ + lines.line_ends, 1 + offset - line_start};
}

void char_source::fail(std::string_view format, std::string_view argument) const {
  throw conversion_error(position_of(next_ - 1), format_message(format, argument));
}

}  // namespace grapho
