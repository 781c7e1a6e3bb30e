// Replays saved fuzz inputs through the fuzz target without libFuzzer, so that
// the seed corpus and any finding run with every compiler and in the ordinary
// test suite. Arguments are files or folders of files; a broken expectation
// aborts, as it does under libFuzzer.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "files.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fs = std::filesystem;

namespace {

void replay(const fs::path& path) {
  std::cout << "Replaying " << path.string() << std::endl;
  const std::string bytes = grapho::read_file(path);
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

// The files a path names: itself, or the files in the folder, in name order.
std::vector<fs::path> inputs_at(const fs::path& path) {
  if (!fs::is_directory(path)) return {path};
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(path))
    if (entry.is_regular_file()) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t replayed = 0;
  for (int i = 1; i < argc; ++i) {
    if (!fs::exists(argv[i])) {
      std::cerr << "No such input: " << argv[i] << '\n';
      return 1;
    }
    for (const auto& input : inputs_at(argv[i])) {
      replay(input);
      ++replayed;
    }
  }
  std::cout << "Replayed " << replayed << " inputs" << std::endl;
  return replayed > 0 ? 0 : 1;
}
