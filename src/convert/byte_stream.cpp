#include "convert/byte_stream.hpp"

#include <algorithm>
#include <cstring>

namespace grapho {

std::size_t file_reader::read(unsigned char* buffer, std::size_t capacity) {
  std::size_t count = std::fread(buffer, 1, capacity, file_.get());
  if (count == 0 && std::ferror(file_.get())) throw read_failure{};
  return count;
}

void file_writer::write(const char* data, std::size_t size) {
  if (std::fwrite(data, 1, size, file_.get()) != size) throw write_failure{};
}

void file_writer::close() {
  if (std::fclose(file_.release()) != 0) throw write_failure{};
}

std::size_t memory_reader::read(unsigned char* buffer, std::size_t capacity) {
  std::size_t count = std::min(capacity, rest_.size());
  std::memcpy(buffer, rest_.data(), count);
  rest_.remove_prefix(count);
  return count;
}

}  // namespace grapho
