// The operating system's files as the converter uses them: opened by name, read
// and written as bytes with no translation of any kind, and told apart by their
// identity. Each platform has its own implementation of this one interface
// (native_file_posix.cpp, native_file_windows.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace grapho {

// What tells a file apart whatever name it was opened by, a device and inode
// or a volume serial number and file index, with its size and the time of the
// last write to its contents, to the nanosecond on POSIX systems and to the
// 100 nanoseconds of Windows.
struct file_identity {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  std::uint64_t size = 0;
  std::uint64_t modified = 0;
};

inline bool is_same_file(const file_identity& a, const file_identity& b) {
  return a.volume == b.volume && a.index == b.index;
}

// Whether `a` and `b`, not one file by their device and inode, may still be one
// file seen through two views, so that only their contents can tell. An
// overlay file system, as containers are built of, shows a file of one of its
// layers under its own device number, while the layer's folder shows it under
// the layer's, and a link from one view into the other names the input under
// another identity. The views need not agree in the inode either (with the
// option xino=on the merged view sets its high bit), nor in the time of the
// last change to the attributes (with metacopy=on a chmod through the merged
// view gives it its own); they agree in the size and the time of the last
// write, which two distinct files hardly ever do to the nanosecond. When they
// do and hold the same bytes too (a copy that kept its time, or one written in
// the same tick of a coarse clock), the output is refused as if it were the
// input: a needless refusal costs a rerun, an emptied input costs the input.
// An empty file has nothing to lose.
inline bool may_be_same_file(const file_identity& a, const file_identity& b) {
  return a.size != 0 && a.size == b.size && a.modified == b.modified;
}

// The bytes of a file mapped into memory, which the system reads as they are
// touched: no copy, and no memory to fill. A file shortened by another program
// while it is mapped loses the bytes past its new end, and touching one stops
// the process with SIGBUS on POSIX systems; Windows does not let a mapped
// file be shortened.
class file_mapping {
 public:
  file_mapping() = default;
  file_mapping(file_mapping&& other) noexcept
      : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}
  file_mapping& operator=(file_mapping&& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    return *this;
  }
  ~file_mapping();

  bool is_mapped() const { return data_ != nullptr; }
  std::string_view bytes() const { return {data_, size_}; }

 private:
  friend class native_file;
  file_mapping(const char* data, std::size_t size) : data_(data), size_(size) {}

  const char* data_ = nullptr;
  std::size_t size_ = 0;
};

class native_file {
 public:
  // Opens an existing file for reading. The result is not open on failure.
  static native_file open_input(const std::string& path);
  // Opens a file for writing, creating it when it is missing but never emptying
  // it, so that it can be compared with the input first. Not open on failure,
  // and not open either when the name is that of a pipe (a FIFO, a socket), or
  // on Windows of anything but a disk file. Never waits for a reader.
  static native_file open_output(const std::string& path);
  // The process's standard input and output, which closing closes.
  static native_file standard_input();
  static native_file standard_output();
  // The identity of the file that `path` names, if there is one.
  static std::optional<file_identity> identity_of(const std::string& path);
  // Whether the files that `a` and `b` name hold the same bytes, compared a
  // buffer's worth at a time through the two buffers, of any size; false
  // when either cannot be read.
  static bool have_same_contents(const std::string& a, const std::string& b,
                                 std::span<unsigned char> buffer_a,
                                 std::span<unsigned char> buffer_b);

  native_file(native_file&& other) noexcept : file_(std::exchange(other.file_, no_handle)) {}
  native_file& operator=(native_file&& other) noexcept {
    if (this != &other) {
      if (is_open()) close_handle(file_);
      file_ = std::exchange(other.file_, no_handle);
    }
    return *this;
  }
  ~native_file() {
    if (is_open()) close_handle(file_);
  }

  bool is_open() const { return file_ != no_handle; }
  std::optional<file_identity> identity() const;
  // Whether it is a file on a disk, and not a terminal, a pipe or a device.
  bool is_disk_file() const;
  // The whole file mapped into memory; not mapped when it is empty or no file
  // on a disk, or when the system refuses.
  file_mapping map() const;
  // Empties the file from its start; false when that fails. Something that is
  // not a regular file (a terminal, /dev/null) has nothing to empty.
  bool truncate();
  // Fills up to `capacity` bytes; returns how many, 0 only at end of input.
  // Throws read_failure.
  std::size_t read(unsigned char* buffer, std::size_t capacity);
  // Writes all `size` bytes or throws write_failure.
  void write(const char* data, std::size_t size);
  // Closes the file; throws write_failure when what was written cannot be
  // made to last.
  void close();

 private:
  // A file descriptor or a handle; -1 for none on both platforms.
  using handle = std::intptr_t;
  static constexpr handle no_handle = -1;
  explicit native_file(handle file) : file_(file) {}
  static void close_handle(handle file) noexcept;

  handle file_;
};

}  // namespace grapho
