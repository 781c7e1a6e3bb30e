#include "convert/background_writer.hpp"

#include <utility>

namespace grapho {
namespace {

// A write and the unwinding of its failure need little; this is more than any
// system's least stack for a thread, and much less than the usual 8 MiB of
// address space, which a process kept short of memory may not have.
constexpr std::size_t stack_size = 256 * 1024;

}  // namespace

bool background_writer::start() noexcept {
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) return false;
  started_ = pthread_attr_setstacksize(&attributes, stack_size) == 0 &&
             pthread_create(&thread_, &attributes, &background_writer::run, this) == 0;
  pthread_attr_destroy(&attributes);
  return started_;
}

background_writer::~background_writer() {
  if (!started_) return;
  {
    std::lock_guard lock(mutex_);
    ending_ = true;
  }
  changed_.notify_all();
  pthread_join(thread_, nullptr);
}

void background_writer::hand_over(const char* data, std::size_t size) {
  {
    std::unique_lock lock(mutex_);
    wait_while_writing(lock);
    data_ = data;
    size_ = size;
    writing_ = true;
  }
  changed_.notify_all();
}

void background_writer::wait() {
  std::unique_lock lock(mutex_);
  wait_while_writing(lock);
}

void background_writer::wait_while_writing(std::unique_lock<std::mutex>& lock) {
  changed_.wait(lock, [this] { return !writing_; });
  if (failure_) std::rethrow_exception(failure_);
}

void* background_writer::run(void* self) noexcept {
  static_cast<background_writer*>(self)->write_what_is_handed_over();
  return nullptr;
}

// A failure ends the writing: hand_over() rethrows it before handing anything
// more, so nothing is written after it.
void background_writer::write_what_is_handed_over() noexcept {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return writing_ || ending_; });
    if (!writing_) return;
    lock.unlock();
    std::exception_ptr failure;
    try {
      writer_.write(data_, size_);
    } catch (...) {
      failure = std::current_exception();
    }
    lock.lock();
    failure_ = std::move(failure);
    writing_ = false;
    changed_.notify_all();
  }
}

}  // namespace grapho
