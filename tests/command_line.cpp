#include "command_line.hpp"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
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
  std::string pattern = (fs::temp_directory_path() / "grapho-test-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  dir = pattern;
}

void CommandLine::TearDown() {
  fs::remove_all(dir);
}

run_result CommandLine::run(const std::string& arguments, const std::string& input) {
  write_file(dir / "stdin", input);
  return run_redirected(arguments, "<stdin");
}

run_result CommandLine::run_redirected(const std::string& arguments,
                                       const std::string& redirection) {
  std::string command = "cd '" + dir.string() + "' && '" GRAPHO_EXE "' " + arguments + " " +
                        redirection + " >stdout 2>stderr";
  int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_file(dir / "stderr"),
          read_file(dir / "stdout")};
}

}  // namespace grapho
