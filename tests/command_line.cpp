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
  int status = shell("GRAPHO " + arguments + " " + redirection + " >stdout 2>stderr");
  return {status, read_file(dir / "stderr"), read_file(dir / "stdout")};
}

int CommandLine::shell(const std::string& command) {
  std::string line = "cd '" + dir.string() + "' && { ";
  for (std::size_t at = 0, next; at < command.size(); at = next + 6) {
    next = command.find("GRAPHO", at);
    line += command.substr(at, next - at);
    if (next == std::string::npos) break;
    line += "'" GRAPHO_EXE "'";
  }
  line += "; }";
  int status = std::system(line.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace grapho
