#include <sys/wait.h>

#include <cstdlib>

#include "command_line.hpp"

namespace grapho {

fs::path verbatim(const fs::path& path) {
  return path;
}

void remove_folder(const fs::path& folder) {
  fs::remove_all(folder);
}

run_result CommandLine::run_redirected(const std::string& arguments,
                                       const std::string& redirection) {
  std::string command = '\'' + program.string() + '\'';
  int status = shell(command + ' ' + arguments + ' ' + redirection + " >stdout 2>stderr");
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
