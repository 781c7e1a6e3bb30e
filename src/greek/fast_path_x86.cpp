// The block classifiers for x86-64 processors with SSE4.2 or AVX2, chosen at
// run time. Each function is compiled for its instruction set alone, so the
// rest of the program runs on any x86-64.
//
// A byte's class comes from two table look-ups, one by each half of the byte
// (a SIMD shuffle looks up 16 or 32 bytes at once): a byte belongs to a group
// when both of its halves do. Seven groups, each a set of high halves times a
// set of low halves, make up the marks, the special characters and the
// brackets; letters are found by their range, "$" and "s" by comparison.
#include <immintrin.h>

#include "greek/fast_path_blocks.hpp"

namespace grapho {
namespace {

enum : std::uint8_t {
  group_quote_ampersand = 1,  // " &
  group_hyphen = 2,           // -
  group_slash = 4,            // /
  group_angle_equals = 8,     // < = >
  group_brackets = 16,        // [ ] { }
  group_backslash_caret = 32, // \ ^
  group_bar = 64,             // |
};
constexpr std::uint8_t mark_groups =
    group_slash | group_angle_equals | group_backslash_caret | group_bar;
constexpr std::uint8_t special_groups = group_quote_ampersand | group_hyphen | group_brackets;

// The groups of each low half and each high half.
alignas(16) constexpr std::uint8_t low_half_groups[16] = {
    0, 0, group_quote_ampersand, 0, 0, 0, group_quote_ampersand, 0, 0, 0, 0, group_brackets,
    group_angle_equals | group_backslash_caret | group_bar,
    group_hyphen | group_angle_equals | group_brackets,
    group_angle_equals | group_backslash_caret, group_slash};
alignas(16) constexpr std::uint8_t high_half_groups[16] = {
    0, 0, group_quote_ampersand | group_hyphen | group_slash, group_angle_equals, 0,
    group_brackets | group_backslash_caret, 0, group_brackets | group_bar};

constexpr std::uint8_t groups_of(int c) {
  return low_half_groups[c & 15] & high_half_groups[c >> 4];
}

// The groups and the range of letters give the classes of the table, byte for byte.
static_assert([] {
  for (int c = 0; c < 256; ++c) {
    auto cls = class_by_character[static_cast<std::size_t>(c)];
    auto groups = groups_of(c);
    auto folded = static_cast<std::uint8_t>((c | 0x20) - 'a');
    if (((groups & mark_groups) != 0) != ((cls & class_mark) != 0) ||
        ((groups & special_groups) != 0) != ((cls & class_special) != 0) ||
        ((groups & group_brackets) != 0) != ((cls & class_bracket) != 0) ||
        (folded < 26) != ((cls & class_letter) != 0) ||
        (c == escape_character) != ((cls & class_dollar) != 0) ||
        (c == sigma_key) != ((cls & class_sigma) != 0))
      return false;
  }
  return true;
}());

// ---------------------------------------------------------------------------
// SSE4.2: four vectors of 16 bytes.

__attribute__((target("sse4.2"))) std::uint64_t bits_sse(__m128i bytes, int quarter) {
  return static_cast<std::uint64_t>(static_cast<std::uint16_t>(_mm_movemask_epi8(bytes)))
         << (16 * quarter);
}

// The bits of the bytes in any of the groups of `set`.
__attribute__((target("sse4.2"))) std::uint64_t groups_sse(__m128i groups, std::uint8_t set,
                                                          int quarter) {
  __m128i outside = _mm_cmpeq_epi8(_mm_and_si128(groups, _mm_set1_epi8(static_cast<char>(set))),
                                   _mm_setzero_si128());
  return bits_sse(_mm_xor_si128(outside, _mm_set1_epi8(-1)), quarter);
}

__attribute__((target("sse4.2"))) block_classes classify_sse42(const unsigned char* block) {
  const __m128i low_table = _mm_load_si128(reinterpret_cast<const __m128i*>(low_half_groups));
  const __m128i high_table = _mm_load_si128(reinterpret_cast<const __m128i*>(high_half_groups));
  const __m128i halves = _mm_set1_epi8(0x0f);
  block_classes classes;
  for (int quarter = 0; quarter < 4; ++quarter) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * quarter));
    __m128i groups =
        _mm_and_si128(_mm_shuffle_epi8(low_table, _mm_and_si128(v, halves)),
                      _mm_shuffle_epi8(high_table, _mm_and_si128(_mm_srli_epi16(v, 4), halves)));
    __m128i folded = _mm_sub_epi8(_mm_or_si128(v, _mm_set1_epi8(0x20)), _mm_set1_epi8('a'));
    classes.dollar |= bits_sse(_mm_cmpeq_epi8(v, _mm_set1_epi8(escape_character)), quarter);
    classes.sigma |= bits_sse(_mm_cmpeq_epi8(v, _mm_set1_epi8(sigma_key)), quarter);
    classes.mark |= groups_sse(groups, mark_groups, quarter);
    classes.letter |=
        bits_sse(_mm_cmpeq_epi8(_mm_min_epu8(folded, _mm_set1_epi8(25)), folded), quarter);
    classes.special |= groups_sse(groups, special_groups, quarter);
    classes.bracket |= groups_sse(groups, group_brackets, quarter);
  }
  return classes;
}

__attribute__((target("sse4.2"))) void write_offsets_sse42(const unsigned char* block,
                                                           std::uint64_t in_run,
                                                           std::uint16_t* offsets) {
  const __m128i spread = _mm_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1);
  const __m128i bit_of_byte =
      _mm_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128);
  for (int quarter = 0; quarter < 4; ++quarter) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * quarter));
    auto bits = static_cast<short>(in_run >> (16 * quarter));
    __m128i run = _mm_and_si128(_mm_shuffle_epi8(_mm_set1_epi16(bits), spread), bit_of_byte);
    run = _mm_and_si128(_mm_cmpeq_epi8(run, bit_of_byte), _mm_set1_epi8(1));
    // Byte c with run flag r makes the 16-bit slot number c + 256 r.
    auto* out = reinterpret_cast<__m128i*>(offsets + 16 * quarter);
    _mm_storeu_si128(out, _mm_slli_epi16(_mm_unpacklo_epi8(v, run), 4));
    _mm_storeu_si128(out + 1, _mm_slli_epi16(_mm_unpackhi_epi8(v, run), 4));
  }
}

// ---------------------------------------------------------------------------
// AVX2: two vectors of 32 bytes.

__attribute__((target("avx2"))) std::uint64_t bits_avx2(__m256i bytes, int half) {
  return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(bytes)))
         << (32 * half);
}

__attribute__((target("avx2"))) std::uint64_t groups_avx2(__m256i groups, std::uint8_t set,
                                                          int half) {
  __m256i outside = _mm256_cmpeq_epi8(
      _mm256_and_si256(groups, _mm256_set1_epi8(static_cast<char>(set))), _mm256_setzero_si256());
  return bits_avx2(_mm256_xor_si256(outside, _mm256_set1_epi8(-1)), half);
}

__attribute__((target("avx2"))) block_classes classify_avx2(const unsigned char* block) {
  const __m256i low_table = _mm256_broadcastsi128_si256(
      _mm_load_si128(reinterpret_cast<const __m128i*>(low_half_groups)));
  const __m256i high_table = _mm256_broadcastsi128_si256(
      _mm_load_si128(reinterpret_cast<const __m128i*>(high_half_groups)));
  const __m256i halves = _mm256_set1_epi8(0x0f);
  block_classes classes;
  for (int half = 0; half < 2; ++half) {
    __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block + 32 * half));
    __m256i groups = _mm256_and_si256(
        _mm256_shuffle_epi8(low_table, _mm256_and_si256(v, halves)),
        _mm256_shuffle_epi8(high_table, _mm256_and_si256(_mm256_srli_epi16(v, 4), halves)));
    __m256i folded =
        _mm256_sub_epi8(_mm256_or_si256(v, _mm256_set1_epi8(0x20)), _mm256_set1_epi8('a'));
    classes.dollar |= bits_avx2(_mm256_cmpeq_epi8(v, _mm256_set1_epi8(escape_character)), half);
    classes.sigma |= bits_avx2(_mm256_cmpeq_epi8(v, _mm256_set1_epi8(sigma_key)), half);
    classes.mark |= groups_avx2(groups, mark_groups, half);
    classes.letter |=
        bits_avx2(_mm256_cmpeq_epi8(_mm256_min_epu8(folded, _mm256_set1_epi8(25)), folded), half);
    classes.special |= groups_avx2(groups, special_groups, half);
    classes.bracket |= groups_avx2(groups, group_brackets, half);
  }
  return classes;
}

__attribute__((target("avx2"))) void write_offsets_avx2(const unsigned char* block,
                                                        std::uint64_t in_run,
                                                        std::uint16_t* offsets) {
  const __m256i spread = _mm256_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1,  //
                                          2, 2, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, 3, 3, 3, 3);
  const __m256i bit_of_byte = _mm256_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32,
                                               64, -128, 1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4,
                                               8, 16, 32, 64, -128);
  for (int half = 0; half < 2; ++half) {
    __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block + 32 * half));
    auto bits = static_cast<int>(static_cast<std::uint32_t>(in_run >> (32 * half)));
    __m256i run =
        _mm256_and_si256(_mm256_shuffle_epi8(_mm256_set1_epi32(bits), spread), bit_of_byte);
    run = _mm256_and_si256(_mm256_cmpeq_epi8(run, bit_of_byte), _mm256_set1_epi8(1));
    // Unpacking works within each 128-bit lane: put bytes 0-7 and 8-15 in the
    // low halves of the two lanes, 16-23 and 24-31 in the high halves.
    v = _mm256_permute4x64_epi64(v, 0xd8);
    run = _mm256_permute4x64_epi64(run, 0xd8);
    // Byte c with run flag r makes the 16-bit slot number c + 256 r.
    auto* out = reinterpret_cast<__m256i*>(offsets + 32 * half);
    _mm256_storeu_si256(out, _mm256_slli_epi16(_mm256_unpacklo_epi8(v, run), 4));
    _mm256_storeu_si256(out + 1, _mm256_slli_epi16(_mm256_unpackhi_epi8(v, run), 4));
  }
}

}  // namespace

const block_classifier sse42_classifier = {classify_sse42, write_offsets_sse42};
const block_classifier avx2_classifier = {classify_avx2, write_offsets_avx2};

}  // namespace grapho
