#include "io/background_writer.hpp"

#include <bit>
#include <iterator>
#include <utility>

#if defined(_WIN32)
#include <windows.h>
#elif defined(__linux__)
#include <sched.h>
#else
#include <thread>
#endif

namespace grapho {
namespace {

// A write and the unwinding of its failure need little; this is more than any
// system's least stack for a thread, and much less than the usual 8 MiB of
// address space, which a process kept short of memory may not have.
constexpr std::size_t stack_size = 256 * 1024;

// Whether this process may run on more than one processor at once: the ones
// its affinity allows, which a container or `taskset` may have cut down to
// one. When that cannot be told, it is taken to be so; Windows gives an empty
// mask to a process whose threads span several groups of processors.
bool runs_on_several_processors() noexcept {
#if defined(_WIN32)
  DWORD_PTR process = 0;
  DWORD_PTR system = 0;
  return !GetProcessAffinityMask(GetCurrentProcess(), &process, &system) ||
         std::popcount(process) != 1;
#elif defined(__linux__)
  cpu_set_t processors;
  return sched_getaffinity(0, sizeof processors, &processors) != 0 || CPU_COUNT(&processors) != 1;
#else
  return std::thread::hardware_concurrency() != 1;
#endif
}

}  // namespace

bool background_writer::start() noexcept {
  // On one processor the thread could only take turns with its owner, adding
  // its hand-overs to the same work (4 to 5% more CPU time, bench/README.md).
  if (!runs_on_several_processors()) return false;
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
  std::unique_lock lock(mutex_);
  if (!failure_) {
    pieces_[(first_ + count_) % std::size(pieces_)] = {data, size};
    ++count_;
    changed_.notify_all();
  }
  wait_until_left(1, lock);
}

void background_writer::wait() {
  std::unique_lock lock(mutex_);
  wait_until_left(0, lock);
}

void background_writer::wait_until_left(std::size_t left, std::unique_lock<std::mutex>& lock) {
  changed_.wait(lock, [&] { return count_ <= left; });
  if (failure_) std::rethrow_exception(failure_);
}

void* background_writer::run(void* self) noexcept {
  static_cast<background_writer*>(self)->write_what_is_handed_over();
  return nullptr;
}

void background_writer::write_what_is_handed_over() noexcept {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return count_ > 0 || ending_; });
    if (count_ == 0) return;
    piece next = pieces_[first_];
    lock.unlock();
    std::exception_ptr failure;
    try {
      writer_.write(next.data, next.size);
    } catch (...) {
      failure = std::current_exception();
    }
    lock.lock();
    first_ = (first_ + 1) % std::size(pieces_);
    --count_;
    if (failure) {
      failure_ = std::move(failure);
      count_ = 0;
    }
    changed_.notify_all();
  }
}

}  // namespace grapho
