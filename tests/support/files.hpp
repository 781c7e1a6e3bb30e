// Whole files read and written as bytes, for the tests, the fuzzer and the
// chart tool.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace grapho {

// The bytes of the file at `path`; throws std::runtime_error when it cannot be
// opened or read.
std::string read_file(const std::filesystem::path& path);

// The lines of the text file at `path` in pairs, the first with the second and
// so on; throws std::runtime_error when it cannot be read, so that a test of
// data that is missing fails.
std::vector<std::pair<std::string, std::string>> read_line_pairs(const std::filesystem::path& path);

// Makes the file at `path` hold `bytes` alone; throws std::runtime_error when
// it cannot be written.
void write_file(const std::filesystem::path& path, std::string_view bytes);

}  // namespace grapho
