#include "io/byte_stream.hpp"

#include <algorithm>
#include <cstring>

namespace grapho {

bool file_reader::read_first_block() {
  try {
    first_block_left_ = {first_block_.data(), file_.read(first_block_.data(), first_block_.size())};
  } catch (const read_failure&) {
    return false;
  }
  return true;
}

std::size_t file_reader::read(unsigned char* buffer, std::size_t capacity) {
  if (first_block_left_.empty()) return file_.read(buffer, capacity);
  std::size_t count = std::min(capacity, first_block_left_.size());
  std::memcpy(buffer, first_block_left_.data(), count);
  first_block_left_ = first_block_left_.subspan(count);
  return count;
}

std::size_t memory_reader::read(unsigned char* buffer, std::size_t capacity) {
  std::size_t count = std::min(capacity, rest_.size());
  std::memcpy(buffer, rest_.data(), count);
  rest_.remove_prefix(count);
  return count;
}

}  // namespace grapho
