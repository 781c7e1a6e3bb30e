// The instruction sets that the vector code is compiled for, and the one in
// use: the best that the processor runs, chosen at start-up. The fast path and
// the count of line ends both go by it.
#pragma once

namespace grapho {

// The scalar code runs everywhere. AVX2 is x86-64's, chosen when the
// processor has it; NEON is every AArch64 processor's, and SIMD128 the web
// build's, each compiled in for its own target alone.
enum class instruction_set { scalar, avx2, neon, simd128 };

inline constexpr instruction_set every_instruction_set[] = {
    instruction_set::scalar, instruction_set::avx2, instruction_set::neon,
    instruction_set::simd128};

// Whether this build and this processor can run a set.
bool instruction_set_available(instruction_set set);
instruction_set active_instruction_set();
// Makes `set` the one used from now on, if it is available; for tests and the
// fuzzer, which check every set against the others. Returns whether it is.
bool force_instruction_set(instruction_set set);

}  // namespace grapho

// Code between GRAPHO_BEGIN_AVX2 and GRAPHO_END_AVX2 is compiled for AVX2 and
// the bit instructions that come with it; the rest of the program runs on any
// x86-64.
#if GRAPHO_SIMD_AVX2
#if !defined(__x86_64__) || !defined(__GNUC__)
#error "The AVX2 code needs x86-64 and GCC or clang"
#endif
#if defined(__clang__)
// clang-format off
#define GRAPHO_BEGIN_AVX2 _Pragma("clang attribute push(__attribute__((target(\"avx2,bmi,bmi2,popcnt,pclmul\"))), apply_to = function)")
// clang-format on
#define GRAPHO_END_AVX2 _Pragma("clang attribute pop")
#else
#define GRAPHO_BEGIN_AVX2 \
  _Pragma("GCC push_options") _Pragma("GCC target(\"avx2,bmi,bmi2,popcnt,pclmul\")")
#define GRAPHO_END_AVX2 _Pragma("GCC pop_options")
#endif
#endif
