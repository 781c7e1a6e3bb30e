// grapho_chart: prints the transliteration chart, or checks or updates the
// copies of it in the README and the manual page.
//
//   grapho_chart markdown|roff   print the chart
//   grapho_chart check FILE...   exit 1 if a file's chart differs from the tables
//   grapho_chart update FILE...  rewrite each file's chart from the tables
#include <exception>
#include <iostream>
#include <string>
#include <string_view>

#include "files.hpp"
#include "render.hpp"

namespace {

using namespace grapho::chart;

// Returns whether the file's chart was already what the tables give.
bool check_or_update(const std::string& path, bool update) {
  format kind = format_of(path);
  std::string document = grapho::read_file(path);
  std::string chart = render(kind, build_chart());
  if (chart_in(document, kind) == chart) return true;
  if (update) {
    grapho::write_file(path, with_chart(document, kind, chart));
    std::cout << path << ": chart updated\n";
    return true;
  }
  std::cerr << path << ": the chart differs from the tables; run grapho_chart update " << path
            << "\n";
  return false;
}

int run(int argc, char** argv) {
  std::string_view command = argc > 1 ? argv[1] : "";
  if (argc == 2 && (command == "markdown" || command == "roff")) {
    std::cout << render(command == "roff" ? format::roff : format::markdown, build_chart());
    return 0;
  }
  if (argc < 3 || (command != "check" && command != "update")) {
    std::cerr << "usage: grapho_chart markdown|roff | check FILE... | update FILE...\n";
    return 2;
  }
  bool all_current = true;
  for (int i = 2; i < argc; ++i) all_current &= check_or_update(argv[i], command == "update");
  return all_current ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const std::exception& error) {
    std::cerr << "grapho_chart: " << error.what() << "\n";
    return 2;
  }
}
