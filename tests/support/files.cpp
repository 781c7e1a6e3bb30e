#include "files.hpp"

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

void write_file(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace grapho
