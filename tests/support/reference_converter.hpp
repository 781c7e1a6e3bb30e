// A plain model of grapho's conversion, written apart from the converter so
// that the fuzzer and the tests can compare the two byte for byte. It holds
// the whole input at once, looks ahead instead of pushing back, and keeps to
// what is obviously right rather than what is fast.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace grapho::reference {

struct expected_error {
  std::uint64_t line;
  std::uint64_t column;
  std::string message;
};

struct expected_conversion {
  // Everything written: the whole output, or what comes before the error.
  std::string output;
  std::optional<expected_error> error;
};

// How the input is read: its path, as messages name it, and how many of its
// bytes can be read before the device fails (all by default).
struct input_source {
  std::string_view path = "in.txt";
  std::size_t readable = std::string_view::npos;
};

// Converts `input` as grapho does. `quote_open` says whether the next double
// quote closes a quotation; it is left as the conversion leaves it, up to an
// error included, ready for the next file.
expected_conversion convert(std::string_view input, bool& quote_open, input_source source = {});

// The report grapho gives for `error` in the file at `path`: "path:line:column message".
std::string report(std::string_view path, const expected_error& error);

}  // namespace grapho::reference
