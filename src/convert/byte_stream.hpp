// Where the converter's bytes come from and go to: files for the program,
// memory for tests, fuzzing and benchmarks.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

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

struct file_closer {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using file_handle = std::unique_ptr<std::FILE, file_closer>;

class file_reader final : public byte_reader {
 public:
  explicit file_reader(file_handle file) : file_(std::move(file)) {}
  std::size_t read(unsigned char* buffer, std::size_t capacity) override;

 private:
  file_handle file_;
};

class file_writer final : public byte_writer {
 public:
  explicit file_writer(file_handle file) : file_(std::move(file)) {}
  void write(const char* data, std::size_t size) override;
  void close() override;

 private:
  file_handle file_;
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
