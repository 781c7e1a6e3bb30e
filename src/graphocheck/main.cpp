#include "graphocheck/driver.hpp"

int main(int argc, char** argv) {
  return grapho::run_graphocheck(argc, argv);
}
