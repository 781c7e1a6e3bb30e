#include "io/native_file.hpp"

#include <algorithm>

#include "io/byte_stream.hpp"

namespace grapho {
namespace {

// Reads until `buffer` is full or the file ends; returns how many bytes.
std::size_t read_full(native_file& file, std::span<unsigned char> buffer) {
  std::size_t filled = 0;
  for (std::size_t count; filled < buffer.size(); filled += count) {
    count = file.read(buffer.data() + filled, buffer.size() - filled);
    if (count == 0) break;
  }
  return filled;
}

}  // namespace

bool native_file::have_same_contents(const std::string& a, const std::string& b,
                                     std::span<unsigned char> buffer_a,
                                     std::span<unsigned char> buffer_b) {
  native_file file_a = open_input(a);
  native_file file_b = open_input(b);
  if (!file_a.is_open() || !file_b.is_open()) return false;
  const std::size_t size = std::min(buffer_a.size(), buffer_b.size());
  try {
    for (;;) {
      std::size_t count = read_full(file_a, buffer_a.first(size));
      if (read_full(file_b, buffer_b.first(size)) != count ||
          !std::equal(buffer_a.begin(), buffer_a.begin() + static_cast<std::ptrdiff_t>(count),
                      buffer_b.begin()))
        return false;
      if (count < size) return true;
    }
  } catch (const read_failure&) {
    return false;
  }
}

}  // namespace grapho
