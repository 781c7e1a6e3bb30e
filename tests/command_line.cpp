#include "command_line.hpp"

#include <random>

namespace grapho {

void CommandLine::SetUp() {
  std::random_device random;
  do {
    dir = fs::temp_directory_path() / ("grapho-test-" + std::to_string(random()));
  } while (!fs::create_directory(dir));
  program = GRAPHO_EXE;
}

void CommandLine::TearDown() {
  remove_folder(dir);
}

run_result CommandLine::run(const std::string& arguments, const std::string& input) {
  write_file(dir / "stdin", input);
  return run_redirected(arguments, "<stdin");
}

}  // namespace grapho
