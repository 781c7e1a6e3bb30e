// A thread that writes to a byte writer while its owner goes on with other
// work: one buffer at a time is handed over, and handing the next waits for the
// one before to be written.
#pragma once

#include <pthread.h>

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>

#include "convert/byte_stream.hpp"

namespace grapho {

class background_writer {
 public:
  explicit background_writer(byte_writer& writer) noexcept : writer_(writer) {}
  // Lets the thread end its write in progress, then joins it.
  ~background_writer();
  background_writer(const background_writer&) = delete;
  background_writer& operator=(const background_writer&) = delete;

  // Starts the thread; false when the system will not give one. Throws
  // nothing, so that a process short of memory goes on without the thread.
  bool start() noexcept;
  bool started() const noexcept { return started_; }

  // Waits for the write handed over before, rethrowing its failure, then hands
  // over the `size` bytes at `data`, which stay untouched until the next
  // hand-over or wait().
  void hand_over(const char* data, std::size_t size);
  // Waits until what was handed over is written; rethrows a failure of it
  // (write_failure from a device), and does so again on every later call.
  void wait();

 private:
  static void* run(void* self) noexcept;
  void write_what_is_handed_over() noexcept;
  void wait_while_writing(std::unique_lock<std::mutex>& lock);

  byte_writer& writer_;
  pthread_t thread_{};
  bool started_ = false;

  // Guards all that follows, shared with the thread.
  std::mutex mutex_;
  std::condition_variable changed_;
  const char* data_ = nullptr;
  std::size_t size_ = 0;
  bool writing_ = false;  // data_ and size_ are handed over and not yet written
  bool ending_ = false;
  std::exception_ptr failure_;
};

}  // namespace grapho
