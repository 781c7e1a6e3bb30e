#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>
#include <utility>

#include "io/byte_stream.hpp"
#include "io/native_file.hpp"

namespace grapho {
namespace {

// A handle held as an integer; INVALID_HANDLE_VALUE is -1, no_handle.
HANDLE to_handle(std::intptr_t file) {
  return reinterpret_cast<HANDLE>(file);
}

std::intptr_t from_handle(HANDLE file) {
  return reinterpret_cast<std::intptr_t>(file);
}

constexpr DWORD share_all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// At most this many bytes go to one ReadFile or WriteFile, whose counts are 32-bit.
constexpr std::size_t largest_transfer = 1 << 30;

// Names inside grapho are UTF-8; the system takes UTF-16.
std::wstring widen(const std::string& text) {
  if (text.empty()) return {};
  int size =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

// Whether the last part of `path` is one of the names Windows keeps for its
// devices, in any case and with any extension ("con.html" is the console,
// "com1.html" a serial port). The list is that of Microsoft's documentation
// on naming files.
bool names_a_device(const std::wstring& path) {
  std::size_t start = path.find_last_of(L"\\/:");
  start = start == std::wstring::npos ? 0 : start + 1;
  std::wstring stem = path.substr(start, path.find(L'.', start) - start);
  while (!stem.empty() && stem.back() == L' ') stem.pop_back();
  std::transform(stem.begin(), stem.end(), stem.begin(),
                 [](wchar_t c) { return c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c; });
  constexpr std::array<std::wstring_view, 6> devices = {L"CON", L"PRN",    L"AUX",
                                                        L"NUL", L"CONIN$", L"CONOUT$"};
  if (std::find(devices.begin(), devices.end(), stem) != devices.end()) return true;
  // COM and LPT with a digit, or a superscript one, two or three.
  return stem.size() == 4 && (stem.starts_with(L"COM") || stem.starts_with(L"LPT")) &&
         ((stem[3] >= L'0' && stem[3] <= L'9') || stem[3] == L'\u00b9' || stem[3] == L'\u00b2' ||
          stem[3] == L'\u00b3');
}

// The path as the system is to open it: made absolute and given the "\\?\"
// prefix, which lifts the limit of 260 characters on a path. Empty for the name
// of a device, which grapho neither reads nor writes (reading "com1.txt" would
// wait on a serial port); an empty path opens nothing.
std::wstring system_path(const std::string& path) {
  std::wstring wide = widen(path);
  if (names_a_device(wide)) return {};
  DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (size == 0) return wide;
  std::wstring full(size, L'\0');
  full.resize(GetFullPathNameW(wide.c_str(), size, full.data(), nullptr));
  if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\') return L"\\\\?\\" + full;
  if (full.starts_with(L"\\\\") && !full.starts_with(L"\\\\?\\") && !full.starts_with(L"\\\\.\\"))
    return L"\\\\?\\UNC\\" + full.substr(2);
  return full;
}

std::uint64_t joined(DWORD high, DWORD low) {
  return static_cast<std::uint64_t>(high) << 32 | low;
}

std::optional<file_identity> identity_of_handle(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION information;
  FILE_BASIC_INFO times;
  if (!GetFileInformationByHandle(file, &information) ||
      !GetFileInformationByHandleEx(file, FileBasicInfo, &times, sizeof times))
    return std::nullopt;
  return file_identity{information.dwVolumeSerialNumber,
                       joined(information.nFileIndexHigh, information.nFileIndexLow),
                       joined(information.nFileSizeHigh, information.nFileSizeLow),
                       static_cast<std::uint64_t>(times.LastWriteTime.QuadPart)};
}

}  // namespace

// A folder opens too (with backup semantics), so that it is refused as a file
// that cannot be read, as on other systems.
native_file native_file::open_input(const std::string& path) {
  return native_file(from_handle(
      CreateFileW(system_path(path).c_str(), GENERIC_READ, share_all, nullptr, OPEN_EXISTING,
                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_SEQUENTIAL_SCAN, nullptr)));
}

// Only a disk file is written to, never the console or a port, whatever name
// the system took for one. Writing alone does not give the right to read the
// file's times, which its identity holds.
native_file native_file::open_output(const std::string& path) {
  native_file file(
      from_handle(CreateFileW(system_path(path).c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES,
                              share_all, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)));
  if (file.is_open() && !file.is_disk_file()) return native_file(no_handle);
  return file;
}

native_file native_file::standard_input() {
  return native_file(from_handle(GetStdHandle(STD_INPUT_HANDLE)));
}

native_file native_file::standard_output() {
  return native_file(from_handle(GetStdHandle(STD_OUTPUT_HANDLE)));
}

std::optional<file_identity> native_file::identity_of(const std::string& path) {
  HANDLE file = CreateFileW(system_path(path).c_str(), FILE_READ_ATTRIBUTES, share_all, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::optional<file_identity> identity = identity_of_handle(file);
  CloseHandle(file);
  return identity;
}

void native_file::close_handle(handle file) noexcept {
  CloseHandle(to_handle(file));
}

std::optional<file_identity> native_file::identity() const {
  return identity_of_handle(to_handle(file_));
}

bool native_file::is_disk_file() const {
  return GetFileType(to_handle(file_)) == FILE_TYPE_DISK;
}

file_mapping native_file::map() const {
  LARGE_INTEGER size{};
  if (!is_disk_file() || !GetFileSizeEx(to_handle(file_), &size) || size.QuadPart <= 0 ||
      static_cast<unsigned long long>(size.QuadPart) > SIZE_MAX)
    return {};
  HANDLE mapping = CreateFileMappingW(to_handle(file_), nullptr, PAGE_READONLY, 0, 0, nullptr);
  if (mapping == nullptr) return {};
  // The view keeps the mapping for as long as it lasts.
  void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
  CloseHandle(mapping);
  if (view == nullptr) return {};
  return {static_cast<const char*>(view), static_cast<std::size_t>(size.QuadPart)};
}

file_mapping::~file_mapping() {
  if (data_) UnmapViewOfFile(data_);
}

bool native_file::truncate() {
  LARGE_INTEGER start{};
  return SetFilePointerEx(to_handle(file_), start, nullptr, FILE_BEGIN) &&
         SetEndOfFile(to_handle(file_));
}

std::size_t native_file::read(unsigned char* buffer, std::size_t capacity) {
  DWORD count = 0;
  if (ReadFile(to_handle(file_), buffer, static_cast<DWORD>(std::min(capacity, largest_transfer)),
               &count, nullptr))
    return count;
  // A pipe whose writer has gone has simply ended.
  if (GetLastError() == ERROR_BROKEN_PIPE) return 0;
  throw read_failure{};
}

void native_file::write(const char* data, std::size_t size) {
  while (size > 0) {
    DWORD count = 0;
    if (!WriteFile(to_handle(file_), data, static_cast<DWORD>(std::min(size, largest_transfer)),
                   &count, nullptr) ||
        count == 0)
      throw write_failure{};
    data += count;
    size -= count;
  }
}

void native_file::close() {
  if (!CloseHandle(to_handle(std::exchange(file_, no_handle)))) throw write_failure{};
}

}  // namespace grapho
