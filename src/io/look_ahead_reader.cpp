#include "io/look_ahead_reader.hpp"

#include <cstring>

namespace grapho {

void look_ahead_reader::refill() {
  std::size_t left = static_cast<std::size_t>(end_ - at_);
  std::memmove(buffer_.data(), at_, left);
  at_ = buffer_.data();
  end_ = at_ + left;
  try {
    while (left < look_ahead_) {
      std::size_t count = reader_.read(buffer_.data() + left, buffer_.size() - left);
      if (count == 0) {
        at_end_ = true;
        break;
      }
      left += count;
      end_ = at_ + left;
    }
  } catch (const read_failure&) {
    at_end_ = read_failed_ = true;
  }
}

}  // namespace grapho
