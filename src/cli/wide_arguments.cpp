#include "cli/wide_arguments.hpp"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace grapho {
namespace {

std::string narrow(const wchar_t* text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return {};
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), size, nullptr, nullptr);
  bytes.pop_back();  // the terminating zero
  return bytes;
}

UINT console_code_page;

void restore_console_code_page() {
  SetConsoleOutputCP(console_code_page);
}

// Messages are UTF-8 bytes, written as they are: a console window is switched
// to UTF-8 for the run (and back at exit), and standard error is not given the
// C library's line-end translation, so that a redirected message holds the
// same bytes as on other systems.
void prepare_standard_error() {
  _setmode(_fileno(stderr), _O_BINARY);
  console_code_page = GetConsoleOutputCP();
  if (console_code_page != 0 && console_code_page != CP_UTF8) {
    SetConsoleOutputCP(CP_UTF8);
    std::atexit(restore_console_code_page);
  }
}

}  // namespace

int run_with_utf8_arguments(int argc, wchar_t** argv, int (*run)(int argc, char** argv)) {
  std::vector<std::string> arguments;
  for (int i = 0; i < argc; ++i) arguments.push_back(narrow(argv[i]));
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  prepare_standard_error();
  return run(argc, pointers.data());
}

}  // namespace grapho
