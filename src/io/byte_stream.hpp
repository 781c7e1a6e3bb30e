// Where the converter's bytes come from and go to: files for the program,
// memory for tests, fuzzing and benchmarks.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "io/native_file.hpp"

namespace grapho {

// Thrown by a reader or writer whose device failed; the converter turns it into
// a positioned message naming the file.
struct read_failure {};
struct write_failure {};

class byte_reader {
 public:
  virtual ~byte_reader() = default;
  // Fills up to `capacity` bytes; returns how many, 0 only at end of input.
  virtual std::size_t read(unsigned char* buffer, std::size_t capacity) = 0;
};

class byte_writer {
 public:
  virtual ~byte_writer() = default;
  // Writes all `size` bytes or throws write_failure.
  virtual void write(const char* data, std::size_t size) = 0;
  // Called once after the last write; throws write_failure when what was
  // written cannot be made to last (a failing close).
  virtual void close() {}
};

// Reads a file; its first block can be read before anything else is done, so
// that an input that cannot be read is known before its output is touched.
class file_reader final : public byte_reader {
 public:
  explicit file_reader(native_file file) : file_(std::move(file)) {}
  // Reads the first block ahead of the reads that follow; false when the file
  // cannot be read (a folder, a failing device).
  bool read_first_block();
  std::size_t read(unsigned char* buffer, std::size_t capacity) override;

 private:
  native_file file_;
  std::array<unsigned char, 4096> first_block_;
  std::span<const unsigned char> first_block_left_;
};

class file_writer final : public byte_writer {
 public:
  explicit file_writer(native_file file) : file_(std::move(file)) {}
  void write(const char* data, std::size_t size) override { file_.write(data, size); }
  void close() override { file_.close(); }

 private:
  native_file file_;
};

class memory_reader final : public byte_reader {
 public:
  explicit memory_reader(std::string_view bytes) : rest_(bytes) {}
  std::size_t read(unsigned char* buffer, std::size_t capacity) override;

 private:
  std::string_view rest_;
};

class string_writer final : public byte_writer {
 public:
  explicit string_writer(std::string& bytes) : bytes_(bytes) {}
  void write(const char* data, std::size_t size) override { bytes_.append(data, size); }

 private:
  std::string& bytes_;
};

}  // namespace grapho
