#include "ungrapho/driver.hpp"

int main(int argc, char** argv) {
  return grapho::run_ungrapho(argc, argv);
}
