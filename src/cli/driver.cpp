#include "cli/driver.hpp"

#include <cstdio>
#include <cstdlib>

#include "convert/converter.hpp"

namespace grapho {

std::string output_name_for(const std::string& input_path) {
  // The last dot anywhere, a directory's name included, starts the extension.
  return input_path.substr(0, input_path.rfind('.')) + ".html";
}

void pause_before_exit() {
  std::fputs("\nPress <ENTER> to terminate...", stderr);
  // Takes at most three characters, up to a line end; end of input returns at
  // once. What was typed is of no interest.
  char line[4];
  [[maybe_unused]] char* typed = std::fgets(line, sizeof line, stdin);
}

int run_driver(int argc, char** argv) {
  std::atexit(pause_before_exit);
  converter files;
  try {
    for (int i = 1; i < argc; ++i) files.convert_file(argv[i], output_name_for(argv[i]));
  } catch (const conversion_error& error) {
    std::string report = error.report();
    std::fwrite(report.data(), 1, report.size(), stderr);
    return 1;
  }
  return 0;
}

}  // namespace grapho
