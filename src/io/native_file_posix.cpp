#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <utility>

#include "io/byte_stream.hpp"
#include "io/native_file.hpp"

namespace grapho {
namespace {

int descriptor(std::intptr_t file) {
  return static_cast<int>(file);
}

std::uint64_t nanoseconds(const struct timespec& time) {
  return static_cast<std::uint64_t>(time.tv_sec) * 1'000'000'000 +
         static_cast<std::uint64_t>(time.tv_nsec);
}

file_identity identity_from(const struct stat& status) {
  return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino),
          static_cast<std::uint64_t>(status.st_size), nanoseconds(status.st_mtim)};
}

}  // namespace

native_file native_file::open_input(const std::string& path) {
  return native_file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
}

// Opened without blocking, as opening a FIFO with no reader would wait for
// one for ever; a FIFO or a socket, which a reader empties as it goes, is no
// file to convert into and is refused. Devices such as /dev/null stay
// allowed, and are written to blocking, as files are.
native_file native_file::open_output(const std::string& path) {
  native_file file(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666));
  struct stat status;
  if (!file.is_open() || ::fstat(descriptor(file.file_), &status) != 0 ||
      S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode))
    return native_file(no_handle);
  int flags = ::fcntl(descriptor(file.file_), F_GETFL);
  if (flags == -1 || ::fcntl(descriptor(file.file_), F_SETFL, flags & ~O_NONBLOCK) != 0)
    return native_file(no_handle);
  return file;
}

native_file native_file::standard_input() {
  return native_file(STDIN_FILENO);
}

native_file native_file::standard_output() {
  return native_file(STDOUT_FILENO);
}

std::optional<file_identity> native_file::identity_of(const std::string& path) {
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) return std::nullopt;
  return identity_from(status);
}

void native_file::close_handle(handle file) noexcept {
  ::close(descriptor(file));
}

std::optional<file_identity> native_file::identity() const {
  struct stat status;
  if (::fstat(descriptor(file_), &status) != 0) return std::nullopt;
  return identity_from(status);
}

bool native_file::is_disk_file() const {
  struct stat status;
  return ::fstat(descriptor(file_), &status) == 0 && S_ISREG(status.st_mode);
}

file_mapping native_file::map() const {
  struct stat status;
  if (::fstat(descriptor(file_), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size <= 0 ||
      static_cast<std::uintmax_t>(status.st_size) > SIZE_MAX)
    return {};
  const auto size = static_cast<std::size_t>(status.st_size);
  void* data = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, descriptor(file_), 0);
  if (data == MAP_FAILED) return {};
  return {static_cast<const char*>(data), size};
}

file_mapping::~file_mapping() {
  if (data_) ::munmap(const_cast<char*>(data_), size_);
}

bool native_file::truncate() {
  struct stat status;
  if (::fstat(descriptor(file_), &status) != 0) return false;
  return !S_ISREG(status.st_mode) || ::ftruncate(descriptor(file_), 0) == 0;
}

std::size_t native_file::read(unsigned char* buffer, std::size_t capacity) {
  for (;;) {
    ssize_t count = ::read(descriptor(file_), buffer, capacity);
    if (count >= 0) return static_cast<std::size_t>(count);
    if (errno != EINTR) throw read_failure{};
  }
}

void native_file::write(const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t count = ::write(descriptor(file_), data, size);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) throw write_failure{};
    data += count;
    size -= static_cast<std::size_t>(count);
  }
}

void native_file::close() {
  // Not retried on EINTR: the descriptor is released either way.
  if (::close(descriptor(std::exchange(file_, no_handle))) != 0) throw write_failure{};
}

}  // namespace grapho
