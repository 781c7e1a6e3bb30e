#include "command_line.hpp"

#include <fstream>
#include <random>
#include <sstream>

namespace grapho {

std::string read_file(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

void write_file(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

void CommandLine::SetUp() {
  std::random_device random;
  do {
    dir = fs::temp_directory_path() / ("grapho-test-" + std::to_string(random()));
  } while (!fs::create_directory(dir));
}

void CommandLine::TearDown() {
  remove_folder(dir);
}

run_result CommandLine::run(const std::string& arguments, const std::string& input) {
  write_file(dir / "stdin", input);
  return run_redirected(arguments, "<stdin");
}

}  // namespace grapho
