#include "cli/driver.hpp"

int main(int argc, char** argv) {
  return grapho::run_driver(argc, argv);
}
