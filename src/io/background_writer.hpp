// A thread that writes to a byte writer while its owner goes on with other
// work. Its owner hands over one piece of bytes at a time, while the thread may
// still be writing the piece before: the thread goes from one to the next
// without waiting for its owner, and its owner waits only for the piece before.
#pragma once

#include <pthread.h>

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>

#include "io/byte_stream.hpp"

namespace grapho {

class background_writer {
 public:
  explicit background_writer(byte_writer& writer) noexcept : writer_(writer) {}
  // Lets the thread write what it was handed, then joins it.
  ~background_writer();
  background_writer(const background_writer&) = delete;
  background_writer& operator=(const background_writer&) = delete;

  // Starts the thread; false when the system will not give one, or when the
  // process may run on one processor only. Throws nothing, so that a process
  // short of memory goes on without the thread.
  bool start() noexcept;
  bool started() const noexcept { return started_; }

  // Hands over the `size` bytes at `data`, which stay untouched until the next
  // hand-over or wait() returns, then waits until the piece handed over before
  // is written. Rethrows the failure of a write (write_failure from a device).
  void hand_over(const char* data, std::size_t size);
  // Waits until all that was handed over is written; rethrows the failure of a
  // write, and does so again on every later call.
  void wait();

 private:
  struct piece {
    const char* data;
    std::size_t size;
  };

  static void* run(void* self) noexcept;
  void write_what_is_handed_over() noexcept;
  // Waits until at most `left` pieces are still to be written.
  void wait_until_left(std::size_t left, std::unique_lock<std::mutex>& lock);

  byte_writer& writer_;
  pthread_t thread_{};
  bool started_ = false;

  // Guards all that follows, shared with the thread.
  std::mutex mutex_;
  std::condition_variable changed_;
  // The pieces still to be written, the first of them in writing: at most the
  // one before and the last one handed over.
  piece pieces_[2] = {};
  std::size_t first_ = 0;
  std::size_t count_ = 0;
  bool ending_ = false;
  // After a failure the pieces left are dropped and none is written again.
  std::exception_ptr failure_;
};

}  // namespace grapho
