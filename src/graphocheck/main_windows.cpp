#include "cli/wide_arguments.hpp"
#include "graphocheck/driver.hpp"

int wmain(int argc, wchar_t** argv) {
  return grapho::run_with_utf8_arguments(argc, argv, grapho::run_graphocheck);
}
