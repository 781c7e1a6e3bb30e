#include "files.hpp"

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace grapho {

std::string read_file(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::string bytes;
  char block[1 << 16];
  while (file) {
    file.read(block, sizeof block);
    bytes.append(block, static_cast<std::size_t>(file.gcount()));
  }
  // Only a read that came to the end of the file read all of it.
  if (!file.eof()) throw std::runtime_error("cannot read " + path.string());
  return bytes;
}

std::vector<std::pair<std::string, std::string>> read_line_pairs(
    const std::filesystem::path& path) {
  const std::string text = read_file(path);
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = std::min(text.find('\n', at), text.size());
    lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  std::vector<std::pair<std::string, std::string>> pairs;
  for (std::size_t i = 0; i + 1 < lines.size(); i += 2) pairs.emplace_back(lines[i], lines[i + 1]);
  return pairs;
}

void write_file(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace grapho
