// Runs the built program as a user would: files in a fresh folder, standard
// input redirected, and every byte it writes kept for the test to check.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "files.hpp"

namespace grapho {

namespace fs = std::filesystem;

// What the program writes on standard error before it waits for ENTER.
inline const std::string prompt = "\nPress <ENTER> to terminate...";

// The path as the file system takes it, without reading device names into it
// or limiting its length: on Windows with the "\\?\" prefix.
fs::path verbatim(const fs::path& path);

// Removes a folder and all it holds, however long their paths.
void remove_folder(const fs::path& folder);

struct run_result {
  int status;          // the exit status, or -1 when the program did not exit by itself
  std::string error;   // standard error
  std::string output;  // standard output
};

class CommandLine : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs the program (grapho, unless a test chose another) in the test folder
  // with `arguments` as the shell would split them, and `input` on standard
  // input.
  run_result run(const std::string& arguments, const std::string& input = "");

  // The same, with standard input as the shell `redirection` gives it, such as
  // "</dev/null" or "<&-" (closed).
  run_result run_redirected(const std::string& arguments, const std::string& redirection);

  // Runs a shell command in the test folder, in which "GRAPHO" stands for the
  // program; returns its exit status, or -1 when it did not exit by itself.
  // POSIX systems only.
  int shell(const std::string& command);

  fs::path dir;
  fs::path program;
};

}  // namespace grapho
