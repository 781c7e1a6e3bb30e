// The operating system's files as the converter uses them: opened by name, read
// and written as bytes with no translation of any kind, and told apart by their
// identity. Each platform has its own implementation of this one interface
// (native_file_posix.cpp, native_file_windows.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace grapho {

// What tells a file apart whatever name it was opened by: a device and inode,
// or a volume serial number and file index; with what any view of the file
// shows alike, its size and the times of its last change, to the nanosecond
// on POSIX systems and to the 100 nanoseconds of Windows.
struct file_identity {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  std::uint64_t size = 0;
  std::uint64_t modified = 0;  // last write to the contents
  std::uint64_t changed = 0;   // last change to the contents or the attributes
};

// Whether `a` and `b` are one file. Device and inode are not enough: an overlay
// file system, as containers are built of, shows a file of one of its layers
// under its own device number, while the layer's folder shows it under the
// layer's, with the same inode either way, so that a link from one view into
// the other names the input under another identity. Such views still agree in
// the inode, the size and the change times, which two distinct files hardly
// ever do to the nanosecond; files on one device have distinct inodes anyway.
inline bool is_same_file(const file_identity& a, const file_identity& b) {
  return a.index == b.index &&
         (a.volume == b.volume ||
          (a.size == b.size && a.modified == b.modified && a.changed == b.changed));
}

class native_file {
 public:
  // Opens an existing file for reading. The result is not open on failure.
  static native_file open_input(const std::string& path);
  // Opens a file for writing, creating it when it is missing but never emptying
  // it, so that it can be compared with the input first. Not open on failure,
  // and not open either when the name is that of a pipe (a FIFO, a socket), or
  // on Windows of anything but a disk file. Never waits for a reader.
  static native_file open_output(const std::string& path);
  // The identity of the file that `path` names, if there is one.
  static std::optional<file_identity> identity_of(const std::string& path);

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
