#include "convert/output_sink.hpp"

#include <algorithm>

namespace grapho {

void output_sink::drain() {
  auto size = static_cast<std::size_t>(next_ - buffer_.data());
  next_ = buffer_.data();
  writer_.write(buffer_.data(), size);
}

void output_sink::write_in_pieces(std::string_view text) {
  while (!text.empty()) {
    if (next_ == end_) drain();
    std::size_t piece = std::min(text.size(), static_cast<std::size_t>(end_ - next_));
    std::memcpy(next_, text.data(), piece);
    next_ += piece;
    text.remove_prefix(piece);
  }
}

}  // namespace grapho
