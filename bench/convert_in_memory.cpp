// Converts a file from memory into memory again and again, as the web page's
// core does, and prints the fastest and the median time of one conversion in
// seconds: the native figure beside the WebAssembly one (web_benchmark.py).
//
//   grapho_convert_in_memory FILE RUNS
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "convert/converter.hpp"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: grapho_convert_in_memory FILE RUNS\n");
    return 2;
  }
  std::ifstream file(argv[1], std::ios::binary);
  const std::string input((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::vector<double> seconds;
  std::string output;
  for (int run = 0; run < std::atoi(argv[2]); ++run) {
    output.clear();
    auto start = std::chrono::steady_clock::now();
    grapho::converter files;
    grapho::memory_reader reader(input);
    grapho::string_writer writer(output);
    files.convert_stream(reader, writer, argv[1], "memory");
    seconds.push_back(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(seconds.begin(), seconds.end());
  std::printf("%.9f %.9f\n", seconds.front(), seconds[seconds.size() / 2]);
}
