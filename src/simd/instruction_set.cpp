#include "simd/instruction_set.hpp"

namespace grapho {
namespace {

instruction_set best_available() {
  return instruction_set_available(instruction_set::avx2) ? instruction_set::avx2
                                                          : instruction_set::portable;
}

instruction_set active = best_available();

}  // namespace

bool instruction_set_available(instruction_set set) {
#if GRAPHO_SIMD_X86
  __builtin_cpu_init();
  if (set == instruction_set::avx2)
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
           __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt") &&
           __builtin_cpu_supports("pclmul");
#endif
  return set == instruction_set::portable;
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
