// The choice of instruction set. A build compiles in the sets that its
// target can have (CMakeLists.txt: GRAPHO_SIMD_AVX2, GRAPHO_SIMD_NEON,
// GRAPHO_SIMD_SIMD128); of those, only AVX2 must be asked of the processor.
#include "simd/instruction_set.hpp"

namespace grapho {
namespace {

// A build compiles in one vector layer at most: the best is it, if the
// processor has it.
instruction_set best_available() {
  for (auto set : every_instruction_set)
    if (set != instruction_set::scalar && instruction_set_available(set)) return set;
  return instruction_set::scalar;
}

instruction_set active = best_available();

}  // namespace

bool instruction_set_available(instruction_set set) {
  switch (set) {
    case instruction_set::scalar:
      return true;
    case instruction_set::avx2:
#if GRAPHO_SIMD_AVX2
      __builtin_cpu_init();
      return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
             __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt") &&
             __builtin_cpu_supports("pclmul");
#else
      return false;
#endif
    case instruction_set::neon:
#if GRAPHO_SIMD_NEON
      return true;
#else
      return false;
#endif
    case instruction_set::simd128:
#if GRAPHO_SIMD_SIMD128
      return true;
#else
      return false;
#endif
  }
  return false;
}

instruction_set active_instruction_set() {
  return active;
}

bool force_instruction_set(instruction_set set) {
  if (!instruction_set_available(set)) return false;
  active = set;
  return true;
}

}  // namespace grapho
