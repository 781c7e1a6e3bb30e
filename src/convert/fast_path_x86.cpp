// The block classifiers for x86-64 processors with SSE4.2 or AVX2, chosen at
// run time. Each function is compiled for its instruction set alone, so the
// rest of the program runs on any x86-64.
//
// A byte's class comes from two table look-ups, one by each nibble of the byte
// (a SIMD shuffle looks up 16 or 32 bytes at once): a byte belongs to a group
// when both of its nibbles do. Seven groups, each a set of high nibbles times a
// set of low nibbles, make up the marks, the special characters and the
// brackets; letters are found by their range, "$" and "s" by comparison.
#include <immintrin.h>

#include "convert/fast_path_blocks.hpp"

namespace grapho {
namespace {

enum : std::uint8_t {
  group_quote_ampersand = 1,   // " &
  group_hyphen = 2,            // -
  group_slash = 4,             // /
  group_angle_equals = 8,      // < = >
  group_brackets = 16,         // [ ] { }
  group_backslash_caret = 32,  // \ ^
  group_bar = 64,              // |
};
constexpr std::uint8_t mark_groups =
    group_slash | group_angle_equals | group_backslash_caret | group_bar;
constexpr std::uint8_t special_groups = group_quote_ampersand | group_hyphen | group_brackets;

// The groups of each low nibble and each high nibble.
alignas(16) constexpr std::uint8_t low_nibble_groups[16] = {
    0,
    0,
    group_quote_ampersand,
    0,
    0,
    0,
    group_quote_ampersand,
    0,
    0,
    0,
    0,
    group_brackets,
    group_angle_equals | group_backslash_caret | group_bar,
    group_hyphen | group_angle_equals | group_brackets,
    group_angle_equals | group_backslash_caret,
    group_slash};
alignas(16) constexpr std::uint8_t high_nibble_groups[16] = {
    0,
    0,
    group_quote_ampersand | group_hyphen | group_slash,
    group_angle_equals,
    0,
    group_brackets | group_backslash_caret,
    0,
    group_brackets | group_bar};

constexpr std::uint8_t groups_of(int c) {
  return low_nibble_groups[c & 15] & high_nibble_groups[c >> 4];
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
        (c == escape_character) != ((cls & class_escape) != 0) ||
        (c == sigma_key) != ((cls & class_sigma) != 0))
      return false;
  }
  return true;
}());

// The bit of each mark, looked up by a hash of its key that SIMD computes
// simply: (c - (c >> 3)) mod 16, different for each of the seven keys. As
// c - (c >> 3) stays below 128 for them, a shuffle takes it as it is.
constexpr int mark_hash(int c) {
  return (c - (c >> 3)) & 15;
}
alignas(16) constexpr auto mark_bit_by_hash = [] {
  std::array<std::uint8_t, 16> bits{};
  for (const auto& mark : mark_table)
    bits[static_cast<std::size_t>(mark_hash(mark.key))] |= mark.bit;
  return bits;
}();
static_assert([] {
  for (const auto& mark : mark_table)
    if (mark_bit_by_hash[static_cast<std::size_t>(mark_hash(mark.key))] != mark.bit ||
        mark.key - (mark.key >> 3) >= 128)
      return false;
  return true;
}());

// The high byte of the slot number of a letter with marks (see
// marked_letter_row) is the first row's plus half its row, looked up by the
// letter's low five bits: one table for 0 to 15, one for 16 to 31. The low
// byte is its mark set, with the top bit for a capital.
constexpr std::uint8_t marked_letter_high_byte = marked_letter_slots_first / 256;
static_assert(marked_letter_slots_first % 256 == 0);
constexpr auto letter_high_bytes(int first) {
  std::array<std::uint8_t, 16> high_bytes{};
  for (int low = 0; low < 16; ++low)
    high_bytes[static_cast<std::size_t>(low)] = static_cast<std::uint8_t>(
        marked_letter_high_byte + marked_letter_row('a' - 1 + first + low) / 2);
  return high_bytes;
}
alignas(16) constexpr auto letter_high_bytes_low = letter_high_bytes(0);
alignas(16) constexpr auto letter_high_bytes_high = letter_high_bytes(16);
static_assert([] {
  for (int c = 'A'; c <= 'z'; ++c) {
    if (!is_letter(c)) continue;
    auto low = static_cast<std::size_t>(c & 15);
    auto high_byte = (c & 16) ? letter_high_bytes_high[low] : letter_high_bytes_low[low];
    if (marked_letter_offset(c, 0) / slot_step != 256u * high_byte + (c < 'a' ? 128u : 0u))
      return false;
  }
  return true;
}());

// A byte's offset is its slot number times slot_step, a shift.
constexpr int slot_step_shift = std::countr_zero(slot_step);
static_assert(slot_step == std::size_t{1} << slot_step_shift);

// The final sigma's slot number is the medial one's plus 256: its high byte
// is one more than a letter's in a run.
static_assert(final_sigma_slot == run_slots_first + sigma_key + 256);

// The address of a constant, hidden from the compiler. The loop over blocks
// has too few vector registers to keep its constants in, so the compiler makes
// the ones it knows anew in every block, up to three instructions each (a byte
// repeated from a general register); read from where it cannot see into, most
// become an operand of the instruction that uses them.
template <class T>
const T* in_memory(const T* constant) {
  asm("" : "+r"(constant));
  return constant;
}

// Vectors of one byte repeated.
struct alignas(32) repeated_byte {
  std::uint8_t bytes[32];
};
constexpr auto repeated_bytes = [] {
  std::array<repeated_byte, 256> table{};
  for (std::size_t value = 0; value < table.size(); ++value)
    for (auto& byte : table[value].bytes) byte = static_cast<std::uint8_t>(value);
  return table;
}();

template <std::uint8_t byte>
const std::uint8_t* repeated() {
  return in_memory(repeated_bytes.data())[byte].bytes;
}

// The bit of each byte's place in a group of eight, for spreading bits into bytes.
alignas(32) constexpr auto bit_of_byte = [] {
  std::array<std::uint8_t, 32> bits{};
  for (std::size_t place = 0; place < bits.size(); ++place)
    bits[place] = static_cast<std::uint8_t>(1u << (place % 8));
  return bits;
}();

// ---------------------------------------------------------------------------
// SSE4.2: four vectors of 16 bytes.

template <std::uint8_t byte>
__attribute__((target("sse4.2"))) __m128i repeated_sse() {
  return _mm_load_si128(reinterpret_cast<const __m128i*>(repeated<byte>()));
}

__attribute__((target("sse4.2"))) std::uint64_t bits_sse(__m128i bytes, int quarter) {
  return static_cast<std::uint64_t>(static_cast<std::uint16_t>(_mm_movemask_epi8(bytes)))
         << (16 * quarter);
}

// The bits of the bytes in any of the groups of `set`.
template <std::uint8_t set>
__attribute__((target("sse4.2"))) std::uint64_t groups_sse(__m128i groups, int quarter) {
  __m128i outside = _mm_cmpeq_epi8(_mm_and_si128(groups, repeated_sse<set>()), _mm_setzero_si128());
  return bits_sse(_mm_xor_si128(outside, repeated_sse<0xff>()), quarter);
}

__attribute__((target("sse4.2"))) __m128i load_table(const std::uint8_t* table) {
  return _mm_load_si128(reinterpret_cast<const __m128i*>(table));
}

// The groups of each byte of `v`: the groups of its low nibble and of its high
// nibble, looked up in the two tables, and kept where both agree.
__attribute__((target("sse4.2"))) __m128i byte_groups_sse(__m128i v, __m128i low_table,
                                                          __m128i high_table) {
  const __m128i nibble_mask = repeated_sse<0x0f>();
  return _mm_and_si128(
      _mm_shuffle_epi8(low_table, _mm_and_si128(v, nibble_mask)),
      _mm_shuffle_epi8(high_table, _mm_and_si128(_mm_srli_epi16(v, 4), nibble_mask)));
}

__attribute__((target("sse4.2"))) block_classes classify_sse42(const unsigned char* block) {
  const __m128i low_table = load_table(low_nibble_groups);
  const __m128i high_table = load_table(high_nibble_groups);
  block_classes classes;
  for (int quarter = 0; quarter < 4; ++quarter) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * quarter));
    __m128i groups = byte_groups_sse(v, low_table, high_table);
    __m128i folded = _mm_sub_epi8(_mm_or_si128(v, repeated_sse<0x20>()), repeated_sse<'a'>());
    classes.escape |= bits_sse(_mm_cmpeq_epi8(v, repeated_sse<escape_character>()), quarter);
    classes.sigma |= bits_sse(_mm_cmpeq_epi8(v, repeated_sse<sigma_key>()), quarter);
    classes.mark |= groups_sse<mark_groups>(groups, quarter);
    classes.letter |=
        bits_sse(_mm_cmpeq_epi8(_mm_min_epu8(folded, repeated_sse<25>()), folded), quarter);
    classes.special |= groups_sse<special_groups>(groups, quarter);
    classes.bracket |= groups_sse<group_brackets>(groups, quarter);
  }
  return classes;
}

// Spreads 16 bits of a mask into 16 bytes, 0 or 0xff.
__attribute__((target("sse4.2"))) __m128i spread_sse(std::uint64_t bits) {
  const __m128i bits_of_bytes = load_table(bit_of_byte.data());
  __m128i spread = _mm_shuffle_epi8(_mm_set1_epi16(static_cast<short>(bits)),
                                    _mm_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1));
  return _mm_cmpeq_epi8(_mm_and_si128(spread, bits_of_bytes), bits_of_bytes);
}

__attribute__((target("sse4.2"))) void write_offsets_sse42(const unsigned char* block,
                                                           const block_contexts& contexts,
                                                           std::uint16_t* offsets) {
  const __m128i nibble_mask = repeated_sse<0x0f>();
  const __m128i zero = _mm_setzero_si128();
  const __m128i low_table = load_table(low_nibble_groups);
  const __m128i high_table = load_table(high_nibble_groups);
  const __m128i mark_bits = load_table(mark_bit_by_hash.data());
  const __m128i rows_low = load_table(letter_high_bytes_low.data());
  const __m128i rows_high = load_table(letter_high_bytes_high.data());
  __m128i previous_marks = zero;
  for (int quarter = 0; quarter < 4; ++quarter) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * quarter));
    // The bit of each mark, 0 for other bytes.
    __m128i groups = byte_groups_sse(v, low_table, high_table);
    __m128i not_mark = _mm_cmpeq_epi8(_mm_and_si128(groups, repeated_sse<mark_groups>()), zero);
    __m128i hash = _mm_sub_epi8(v, _mm_and_si128(_mm_srli_epi16(v, 3), repeated_sse<0x1f>()));
    __m128i marks = _mm_andnot_si128(not_mark, _mm_shuffle_epi8(mark_bits, hash));
    // The marks of up to three bytes before each byte, as long as all are marks.
    __m128i one_before = _mm_alignr_epi8(marks, previous_marks, 15);
    __m128i two_before = _mm_alignr_epi8(marks, previous_marks, 14);
    __m128i three_before = _mm_alignr_epi8(marks, previous_marks, 13);
    __m128i further =
        _mm_or_si128(two_before, _mm_andnot_si128(_mm_cmpeq_epi8(two_before, zero), three_before));
    // Only a letter with marks, which has one right before it, takes this.
    __m128i mark_set = _mm_or_si128(one_before, further);
    previous_marks = marks;
    // A letter with marks: its row and mark set make its slot number. Bit 4
    // of a letter picks its table of rows, bit 5 tells a capital; each is
    // shifted to the top of its byte.
    __m128i row_high_byte = _mm_blendv_epi8(
        _mm_shuffle_epi8(rows_low, _mm_and_si128(v, nibble_mask)),
        _mm_shuffle_epi8(rows_high, _mm_and_si128(v, nibble_mask)), _mm_slli_epi16(v, 3));
    __m128i capital = _mm_slli_epi16(_mm_andnot_si128(v, repeated_sse<0x20>()), 2);
    __m128i run = spread_sse(contexts.run >> (16 * quarter));
    __m128i final_sigma = spread_sse(contexts.final_sigma >> (16 * quarter));
    __m128i marked = spread_sse(contexts.marked_letter >> (16 * quarter));
    __m128i low = _mm_blendv_epi8(v, _mm_or_si128(mark_set, capital), marked);
    __m128i high = _mm_blendv_epi8(_mm_sub_epi8(_mm_and_si128(run, repeated_sse<1>()), final_sigma),
                                   row_high_byte, marked);
    auto* out = reinterpret_cast<__m128i*>(offsets + 16 * quarter);
    _mm_storeu_si128(out, _mm_slli_epi16(_mm_unpacklo_epi8(low, high), slot_step_shift));
    _mm_storeu_si128(out + 1, _mm_slli_epi16(_mm_unpackhi_epi8(low, high), slot_step_shift));
  }
}
// ---------------------------------------------------------------------------
// AVX2: two vectors of 32 bytes.

template <std::uint8_t byte>
__attribute__((target("avx2"))) __m256i repeated_avx2() {
  return _mm256_load_si256(reinterpret_cast<const __m256i*>(repeated<byte>()));
}

__attribute__((target("avx2"))) std::uint64_t bits_avx2(__m256i bytes, int half) {
  return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(bytes)))
         << (32 * half);
}

// The bits of the bytes in none of the groups of `set`; the classifier inverts
// them once for the whole block.
template <std::uint8_t set>
__attribute__((target("avx2"))) std::uint64_t outside_groups_avx2(__m256i groups, int half) {
  return bits_avx2(
      _mm256_cmpeq_epi8(_mm256_and_si256(groups, repeated_avx2<set>()), _mm256_setzero_si256()),
      half);
}

// A table of 16 bytes twice over, for the shuffles of 32 bytes, which look up
// each half of a vector in its own copy. Stored whole, it is read in one
// instruction, most often as an operand.
struct alignas(32) table_twice {
  std::uint8_t bytes[32];
};
constexpr table_twice twice(const std::uint8_t* table) {
  table_twice doubled{};
  for (std::size_t i = 0; i < 32; ++i) doubled.bytes[i] = table[i % 16];
  return doubled;
}
constexpr table_twice low_nibble_groups_twice = twice(low_nibble_groups);
constexpr table_twice high_nibble_groups_twice = twice(high_nibble_groups);
constexpr table_twice mark_bit_by_hash_twice = twice(mark_bit_by_hash.data());
constexpr table_twice letter_high_bytes_low_twice = twice(letter_high_bytes_low.data());
constexpr table_twice letter_high_bytes_high_twice = twice(letter_high_bytes_high.data());

__attribute__((target("avx2"))) __m256i load_twice(const table_twice& table) {
  return _mm256_load_si256(reinterpret_cast<const __m256i*>(table.bytes));
}

// The groups of each byte of `v`: the groups of its low nibble and of its high
// nibble, looked up in the two tables, and kept where both agree.
__attribute__((target("avx2"))) __m256i byte_groups_avx2(__m256i v, __m256i low_table,
                                                         __m256i high_table) {
  const __m256i nibble_mask = repeated_avx2<0x0f>();
  return _mm256_and_si256(
      _mm256_shuffle_epi8(low_table, _mm256_and_si256(v, nibble_mask)),
      _mm256_shuffle_epi8(high_table, _mm256_and_si256(_mm256_srli_epi16(v, 4), nibble_mask)));
}

__attribute__((target("avx2"))) block_classes classify_avx2(const unsigned char* block) {
  const __m256i low_table = load_twice(low_nibble_groups_twice);
  const __m256i high_table = load_twice(high_nibble_groups_twice);
  block_classes classes;
  std::uint64_t not_mark = 0;
  std::uint64_t not_special = 0;
  std::uint64_t not_bracket = 0;
  for (int half = 0; half < 2; ++half) {
    __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block + 32 * half));
    __m256i groups = byte_groups_avx2(v, low_table, high_table);
    __m256i folded =
        _mm256_sub_epi8(_mm256_or_si256(v, repeated_avx2<0x20>()), repeated_avx2<'a'>());
    classes.escape |= bits_avx2(_mm256_cmpeq_epi8(v, repeated_avx2<escape_character>()), half);
    classes.sigma |= bits_avx2(_mm256_cmpeq_epi8(v, repeated_avx2<sigma_key>()), half);
    not_mark |= outside_groups_avx2<mark_groups>(groups, half);
    classes.letter |=
        bits_avx2(_mm256_cmpeq_epi8(_mm256_min_epu8(folded, repeated_avx2<25>()), folded), half);
    not_special |= outside_groups_avx2<special_groups>(groups, half);
    not_bracket |= outside_groups_avx2<group_brackets>(groups, half);
  }
  classes.mark = ~not_mark;
  classes.special = ~not_special;
  classes.bracket = ~not_bracket;
  return classes;
}

// Spreads half of a mask, 32 bits, into 32 bytes, 0 or 0xff. The whole mask
// is broadcast, which the compiler does once for both halves.
__attribute__((target("avx2"))) __m256i spread_avx2(std::uint64_t bits, int half) {
  const __m256i bits_of_bytes =
      _mm256_load_si256(reinterpret_cast<const __m256i*>(in_memory(bit_of_byte.data())));
  const __m256i byte_of_bit =
      half == 0 ? _mm256_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2,
                                   2, 2, 3, 3, 3, 3, 3, 3, 3, 3)
                : _mm256_setr_epi8(4, 4, 4, 4, 4, 4, 4, 4, 5, 5, 5, 5, 5, 5, 5, 5, 6, 6, 6, 6, 6, 6,
                                   6, 6, 7, 7, 7, 7, 7, 7, 7, 7);
  __m256i spread =
      _mm256_shuffle_epi8(_mm256_set1_epi64x(static_cast<long long>(bits)), byte_of_bit);
  return _mm256_cmpeq_epi8(_mm256_and_si256(spread, bits_of_bytes), bits_of_bytes);
}

__attribute__((target("avx2"))) void write_offsets_avx2(const unsigned char* block,
                                                        const block_contexts& contexts,
                                                        std::uint16_t* offsets) {
  const __m256i nibble_mask = repeated_avx2<0x0f>();
  const __m256i zero = _mm256_setzero_si256();
  const __m256i low_table = load_twice(low_nibble_groups_twice);
  const __m256i high_table = load_twice(high_nibble_groups_twice);
  const __m256i mark_bits = load_twice(mark_bit_by_hash_twice);
  const __m256i rows_low = load_twice(letter_high_bytes_low_twice);
  const __m256i rows_high = load_twice(letter_high_bytes_high_twice);
  __m256i previous_marks = zero;
  for (int half = 0; half < 2; ++half) {
    __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block + 32 * half));
    // The bit of each mark, 0 for other bytes.
    __m256i groups = byte_groups_avx2(v, low_table, high_table);
    __m256i not_mark =
        _mm256_cmpeq_epi8(_mm256_and_si256(groups, repeated_avx2<mark_groups>()), zero);
    __m256i hash =
        _mm256_sub_epi8(v, _mm256_and_si256(_mm256_srli_epi16(v, 3), repeated_avx2<0x1f>()));
    __m256i marks = _mm256_andnot_si256(not_mark, _mm256_shuffle_epi8(mark_bits, hash));
    // The marks of up to three bytes before each byte, as long as all are
    // marks. Byte shifts work within 128-bit lanes: each lane takes the bytes
    // before it from the lane before, the first from the vector before.
    __m256i before = _mm256_permute2x128_si256(previous_marks, marks, 0x21);
    __m256i one_before = _mm256_alignr_epi8(marks, before, 15);
    __m256i two_before = _mm256_alignr_epi8(marks, before, 14);
    __m256i three_before = _mm256_alignr_epi8(marks, before, 13);
    __m256i further = _mm256_or_si256(
        two_before, _mm256_andnot_si256(_mm256_cmpeq_epi8(two_before, zero), three_before));
    // Only a letter with marks, which has one right before it, takes this.
    __m256i mark_set = _mm256_or_si256(one_before, further);
    previous_marks = marks;
    // A letter with marks: its row and mark set make its slot number. Bit 4
    // of a letter picks its table of rows, bit 5 tells a capital; each is
    // shifted to the top of its byte.
    __m256i row_high_byte = _mm256_blendv_epi8(
        _mm256_shuffle_epi8(rows_low, _mm256_and_si256(v, nibble_mask)),
        _mm256_shuffle_epi8(rows_high, _mm256_and_si256(v, nibble_mask)), _mm256_slli_epi16(v, 3));
    __m256i capital = _mm256_slli_epi16(_mm256_andnot_si256(v, repeated_avx2<0x20>()), 2);
    __m256i run = spread_avx2(contexts.run, half);
    __m256i final_sigma = spread_avx2(contexts.final_sigma, half);
    __m256i marked = spread_avx2(contexts.marked_letter, half);
    __m256i low = _mm256_blendv_epi8(v, _mm256_or_si256(mark_set, capital), marked);
    __m256i high =
        _mm256_blendv_epi8(_mm256_sub_epi8(_mm256_and_si256(run, repeated_avx2<1>()), final_sigma),
                           row_high_byte, marked);
    // Unpacking works within each 128-bit lane: put bytes 0-7 and 8-15 in the
    // low halves of the two lanes, 16-23 and 24-31 in the high halves.
    low = _mm256_permute4x64_epi64(low, 0xd8);
    high = _mm256_permute4x64_epi64(high, 0xd8);
    auto* out = reinterpret_cast<__m256i*>(offsets + 32 * half);
    _mm256_storeu_si256(out, _mm256_slli_epi16(_mm256_unpacklo_epi8(low, high), slot_step_shift));
    _mm256_storeu_si256(out + 1,
                        _mm256_slli_epi16(_mm256_unpackhi_epi8(low, high), slot_step_shift));
  }
}
}  // namespace

// Each kind translates spans in one function, so that the compiler shares the
// work of the classes and of the offsets, keeps their constants out of the
// loop over blocks, and uses the processor's bit instructions.
namespace {

__attribute__((target("sse4.2,popcnt"))) block_masks prepare_block_sse42(const unsigned char* block,
                                                                         bool in_run,
                                                                         std::uint16_t* offsets) {
  const block_classes classes = classify_sse42(block);
  block_masks masks = combine_classes(classes, prefix_xor(classes.escape), fast_path_block_size,
                                      in_run, class_by_character[block[fast_path_block_size]]);
  write_offsets_sse42(block, masks.contexts, offsets);
  return masks;
}

// prefix_xor as one carry-less multiplication by all ones.
__attribute__((target("pclmul"))) std::uint64_t prefix_xor_clmul(std::uint64_t bits) {
  return static_cast<std::uint64_t>(_mm_cvtsi128_si64(
      _mm_clmulepi64_si128(_mm_cvtsi64_si128(static_cast<long long>(bits)), _mm_set1_epi8(-1), 0)));
}

__attribute__((target("avx2,bmi,bmi2,popcnt,pclmul"))) block_masks prepare_block_avx2(
    const unsigned char* block, bool in_run, std::uint16_t* offsets) {
  const block_classes classes = classify_avx2(block);
  block_masks masks =
      combine_classes(classes, prefix_xor_clmul(classes.escape), fast_path_block_size, in_run,
                      class_by_character[block[fast_path_block_size]]);
  write_offsets_avx2(block, masks.contexts, offsets);
  return masks;
}

}  // namespace

__attribute__((target("sse4.2,popcnt"))) fast_path_progress translate_span_sse42(
    std::span<const unsigned char> input, std::span<char> output, bool in_run) {
  return translate_blocks<prepare_block_sse42>(input, output, in_run);
}

__attribute__((target("avx2,bmi,bmi2,popcnt,pclmul"))) fast_path_progress translate_span_avx2(
    std::span<const unsigned char> input, std::span<char> output, bool in_run) {
  return translate_blocks<prepare_block_avx2>(input, output, in_run);
}

}  // namespace grapho
