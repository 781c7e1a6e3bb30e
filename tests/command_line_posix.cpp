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
  std::string command = "cd '" + dir.string() + "' && '" GRAPHO_EXE "' " + arguments + " " +
                        redirection + " >stdout 2>stderr";
  int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_file(dir / "stderr"),
          read_file(dir / "stdout")};
}

}  // namespace grapho
