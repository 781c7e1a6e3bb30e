#include "io/output_sink.hpp"

#include <algorithm>
#include <utility>

namespace grapho {

void output_sink::send_buffer() {
  if (!spare_.empty() && !background_.started() && !background_.start()) spare_ = {};
  if (spare_.empty()) {
    write_in_turn();
    return;
  }
  // Waits for the thread to be done with the spare, which this sink needs back.
  background_.hand_over(buffer_.data(), static_cast<std::size_t>(next_ - buffer_.data()));
  std::swap(buffer_, spare_);
  next_ = buffer_.data();
  end_ = next_ + buffer_.size();
}

void output_sink::write_in_turn() {
  auto size = static_cast<std::size_t>(next_ - buffer_.data());
  next_ = buffer_.data();
  writer_.write(buffer_.data(), size);
}

void output_sink::wait_for_writes() {
  if (background_.started()) background_.wait();
}

void output_sink::flush() {
  wait_for_writes();
  write_in_turn();
}

void output_sink::write_in_pieces(std::string_view text) {
  while (!text.empty()) {
    if (next_ == end_) send_buffer();
    std::size_t piece = std::min(text.size(), static_cast<std::size_t>(end_ - next_));
    std::memcpy(next_, text.data(), piece);
    next_ += piece;
    text.remove_prefix(piece);
  }
}

}  // namespace grapho
