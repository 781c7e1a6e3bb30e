// Runs the built program as a user would: files in a fresh folder, standard
// input redirected, and every byte it writes kept for the test to check.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace grapho {

namespace fs = std::filesystem;

// What the program writes on standard error before it waits for ENTER.
inline const std::string prompt = "\nPress <ENTER> to terminate...";

std::string read_file(const fs::path& path);
void write_file(const fs::path& path, const std::string& bytes);

struct run_result {
  int status;          // the exit status, or -1 when the program did not exit by itself
  std::string error;   // standard error
  std::string output;  // standard output
};

class CommandLine : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs grapho in the test folder with `arguments` as the shell would split
  // them, and `input` on standard input.
  run_result run(const std::string& arguments, const std::string& input = "");

  // The same, with standard input as the shell `redirection` gives it, such as
  // "</dev/null" or "<&-" (closed).
  run_result run_redirected(const std::string& arguments, const std::string& redirection);

  // Runs a shell command in the test folder, in which "GRAPHO" stands for the
  // program; returns its exit status, or -1 when it did not exit by itself.
  int shell(const std::string& command);

  fs::path dir;
};

}  // namespace grapho
