// Runs the program on Windows, where there is no POSIX shell: the arguments the
// tests write as for that shell are split here into words, each word either
// bare or in single quotes, which is all of that syntax the portable tests use.
#include <windows.h>

#include <string>
#include <vector>

#include "command_line.hpp"

namespace grapho {
namespace {

std::vector<std::string> shell_words(const std::string& text) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ' ') {
      ++i;
      continue;
    }
    std::string word;
    while (i < text.size() && text[i] != ' ') {
      if (text[i] == '\'') {
        std::size_t end = text.find('\'', i + 1);
        word += text.substr(i + 1, end - i - 1);
        i = end + 1;
      } else {
        word += text[i++];
      }
    }
    words.push_back(word);
  }
  return words;
}

// The tests' names are UTF-8; the system takes UTF-16.
std::wstring widen(const std::string& text) {
  return fs::path(std::u8string(text.begin(), text.end())).wstring();
}

// One argument of a command line as the C library splits it again: in double
// quotes, with backslashes doubled where they come before a quote.
std::wstring quoted(const std::wstring& argument) {
  std::wstring text = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    text.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    text += c;
  }
  text.append(backslashes * 2, L'\\');
  return text + L'"';
}

// A handle on `path` that the program started inherits.
HANDLE inheritable(const fs::path& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                     disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Removes `path`, a verbatim path, and all it holds.
void remove_tree(const std::wstring& path) {
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        remove_tree(path + L'\\' + name);
      else
        DeleteFileW((path + L'\\' + name).c_str());
    } while (FindNextFileW(search, &entry));
    FindClose(search);
  }
  RemoveDirectoryW(path.c_str());
}

}  // namespace

fs::path verbatim(const fs::path& path) {
  return L"\\\\?\\" + fs::absolute(path).make_preferred().wstring();
}

// Removed through the system's own calls: those of the C library that
// std::filesystem uses here fail on paths of more than 260 characters.
void remove_folder(const fs::path& folder) {
  remove_tree(verbatim(folder).wstring());
}

// `redirection` is "<FILE" (a file in the test folder, or /dev/null) or "<&-"
// for a closed standard input.
run_result CommandLine::run_redirected(const std::string& arguments,
                                       const std::string& redirection) {
  const fs::path executable = fs::path(program).make_preferred();
  std::wstring command_line = quoted(executable.wstring());
  for (const std::string& word : shell_words(arguments)) command_line += L' ' + quoted(widen(word));

  HANDLE input = nullptr;
  if (redirection != "<&-") {
    std::string name = redirection.substr(1);
    input = inheritable(name == "/dev/null" ? fs::path("NUL") : dir / name, GENERIC_READ,
                        OPEN_EXISTING);
  }
  HANDLE output = inheritable(dir / "stdout", GENERIC_WRITE, CREATE_ALWAYS);
  HANDLE error = inheritable(dir / "stderr", GENERIC_WRITE, CREATE_ALWAYS);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = output;
  startup.hStdError = error;
  PROCESS_INFORMATION process{};
  DWORD status = static_cast<DWORD>(-1);
  if (CreateProcessW(executable.c_str(), command_line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                     dir.c_str(), &startup, &process)) {
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  for (HANDLE handle : {input, output, error})
    if (handle != nullptr) CloseHandle(handle);
  return {static_cast<int>(status), read_file(dir / "stderr"), read_file(dir / "stdout")};
}

}  // namespace grapho
