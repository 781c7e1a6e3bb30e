#include "graphocheck/driver.hpp"

#include <algorithm>
#include <csignal>
#include <cstddef>
#include <cstdio>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "check/check.hpp"
#include "check/json.hpp"
#include "check/warnings.hpp"
#include "cli/standard_streams.hpp"
#include "io/byte_stream.hpp"
#include "io/error.hpp"
#include "io/native_file.hpp"
#include "io/terminal_text.hpp"

namespace grapho {
namespace {

enum class output_format { text, json };

struct command {
  output_format format = output_format::text;
  check_options check;
  std::vector<std::string> files;
  bool help = false;
  bool version = false;
};

// The name standard input goes by in the diagnostics, and the argument that names it.
constexpr std::string_view standard_input_name = "<stdin>";
constexpr std::string_view standard_input_argument = "-";

std::string usage() {
  std::string text =
      "Usage: graphocheck [OPTION]... [FILE]...\n"
      "Finds every mistake of grapho's typing in each FILE at once, or in standard\n"
      "input when there is no FILE or FILE is -, and prints each on a line:\n"
      "FILE:LINE:COLUMN: SEVERITY: MESSAGE [CODE]. Writes no file.\n"
      "\n"
      "  --format=FORMAT     text, the default, or json: one array of objects\n"
      "  --disable=CODE,...  leaves out these warnings\n"
      "  --enable=CODE,...   reports these warnings, those off by default too\n"
      "  --text              reads UTF-8 text with Greek anywhere, not grapho's typing\n"
      "  --help              shows this help and exits\n"
      "  --version           shows the version and exits\n"
      "\n"
      "Warnings:\n";
  for (const auto& kind : warning_kinds) {
    std::string line = "  " + std::string(kind.code);
    line.resize(std::max<std::size_t>(line.size() + 1, 24), ' ');
    text += line + std::string(kind.summary) + (kind.on_by_default ? "\n" : " (off)\n");
  }
  text +=
      "\n"
      "Exit status: 0 when nothing was reported, 1 when something was, 2 when an\n"
      "option is wrong or a file cannot be read.\n";
  return text;
}

// The value of the option `name` when `argument` is that option: after its
// "=", or the next argument. Nothing for another option, nor when the value is
// missing, which `failure` then tells.
std::optional<std::string_view> option_value(std::string_view argument, std::string_view name,
                                             int& i, int argc, char** argv,
                                             std::optional<std::string>& failure) {
  if (argument == name) {
    if (i + 1 < argc) return argv[++i];
    failure = format_message("Option %s needs a value", name);
    return std::nullopt;
  }
  if (argument.starts_with(name) && argument[name.size()] == '=')
    return argument.substr(name.size() + 1);
  return std::nullopt;
}

// Takes one option; returns why it cannot be taken, if it cannot.
std::optional<std::string> take_option(std::string_view argument, int& i, int argc, char** argv,
                                       command& taken) {
  std::optional<std::string> failure;
  if (argument == "--help") {
    taken.help = true;
  } else if (argument == "--version") {
    taken.version = true;
  } else if (argument == "--text") {
    taken.check.text = true;
  } else if (auto format = option_value(argument, "--format", i, argc, argv, failure)) {
    if (*format == "text") {
      taken.format = output_format::text;
    } else if (*format == "json") {
      taken.format = output_format::json;
    } else {
      failure = format_message("Unknown format %s: text or json", *format);
    }
  } else if (auto codes = option_value(argument, "--disable", i, argc, argv, failure)) {
    failure = taken.check.warnings.set(*codes, false);
  } else if (auto codes = option_value(argument, "--enable", i, argc, argv, failure)) {
    failure = taken.check.warnings.set(*codes, true);
  } else if (!failure) {
    failure = format_message("Unknown option %s", argument);
  }
  return failure;
}

std::optional<std::string> read_command(int argc, char** argv, command& taken) {
  bool options_ended = false;
  for (int i = 1; i < argc; ++i) {
    std::string_view argument = argv[i];
    if (options_ended || argument == standard_input_argument || !argument.starts_with('-')) {
      taken.files.emplace_back(argument);
    } else if (argument == "--") {
      options_ended = true;
    } else if (auto failure = take_option(argument, i, argc, argv, taken)) {
      return failure;
    }
  }
  if (taken.files.empty()) taken.files.emplace_back(standard_input_argument);
  return std::nullopt;
}

// The bytes of one input: a file's mapped into memory where the system can,
// read into memory where not (standard input, a pipe, an empty file).
struct input_bytes {
  file_mapping mapping;
  std::string read;

  std::string_view bytes() const { return mapping.is_mapped() ? mapping.bytes() : read; }
};

// The whole of a file or of standard input, or nothing when it cannot be read,
// with the message that says so.
std::optional<input_bytes> read_whole(const std::string& path, std::string& failure) {
  input_bytes input;
  unsigned char block[65536];
  if (path == standard_input_argument) {
    while (std::size_t count = std::fread(block, 1, sizeof block, stdin))
      input.read.append(reinterpret_cast<const char*>(block), count);
    if (std::ferror(stdin)) {
      failure = "Cannot read standard input";
      return std::nullopt;
    }
    return input;
  }
  native_file file = native_file::open_input(path);
  if (!file.is_open()) {
    failure = format_message("Cannot open file %s for reading", path);
    return std::nullopt;
  }
  input.mapping = file.map();
  if (input.mapping.is_mapped()) return input;
  try {
    while (std::size_t count = file.read(block, sizeof block))
      input.read.append(reinterpret_cast<const char*>(block), count);
  } catch (const read_failure&) {
    failure = format_message("Cannot read file %s", path);
    return std::nullopt;
  }
  return input;
}

#ifdef SIGBUS
// The line said, in the place of dying by SIGBUS, when another program
// shortens a mapped file while it is checked (file_mapping).
const char* volatile shortened_file_line = nullptr;
volatile std::size_t shortened_file_line_size = 0;

void on_shortened_file(int) {
  // What the write returns changes nothing: the status says it.
  [[maybe_unused]] ssize_t written =
      ::write(STDERR_FILENO, shortened_file_line, shortened_file_line_size);
  ::_exit(2);
}
#endif

// The diagnostics of `input`, read from `path`. A mapped file shortened
// meanwhile stops the program with "Cannot read file" and status 2, after
// what was printed before it; Windows does not let a mapped file be shortened.
std::vector<diagnostic> check_input(const input_bytes& input,
                                    [[maybe_unused]] const std::string& path,
                                    const check_options& options) {
#ifdef SIGBUS
  if (input.mapping.is_mapped()) {
    const std::string line = error_line(format_message("Cannot read file %s", path));
    std::fflush(stdout);
    shortened_file_line = line.data();
    shortened_file_line_size = line.size();
    auto previous = std::signal(SIGBUS, on_shortened_file);
    std::vector<diagnostic> found = check_source(input.bytes(), options);
    std::signal(SIGBUS, previous);
    return found;
  }
#endif
  return check_source(input.bytes(), options);
}

std::string place_text(text_place place) {
  return std::to_string(place.line) + ':' + std::to_string(place.column);
}

// The diagnostics of one file, a line each, the notes after theirs. The
// message's control characters are always escaped, so that each stays on its
// line; the name's only on a terminal, where an editor reads none.
std::string text_lines(std::string_view name, const std::vector<diagnostic>& found) {
  static const bool to_terminal = is_terminal(stdout);
  const std::string file = to_terminal ? escape_control_characters(name) : std::string(name);
  std::string text;
  for (const diagnostic& each : found) {
    const std::string code = " [" + std::string(each.code) + "]\n";
    text += file + ':' + place_text(each.place) +
            (each.level == severity::error ? ": error: " : ": warning: ") +
            escape_control_characters(each.message) + code;
    for (const diagnostic_note& note : each.notes)
      text += file + ':' + place_text(note.place) +
              ": note: " + escape_control_characters(note.message) + code;
  }
  return text;
}

bool print(const std::string& text) {
  return std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
}

// Checks every file in turn; returns the exit status.
int check_files(const command& taken) {
  bool reported = false, unreadable = false, printed = true;
  bool first_object = true;
  if (taken.format == output_format::json) printed = print("[\n");
  for (const std::string& path : taken.files) {
    std::string failure;
    std::optional<input_bytes> source = read_whole(path, failure);
    if (!source) {
      print_error_line(failure);
      unreadable = true;
      continue;
    }
    const std::vector<diagnostic> found = check_input(*source, path, taken.check);
    reported = reported || !found.empty();
    const std::string_view name = path == standard_input_argument ? standard_input_name : path;
    if (taken.format == output_format::text) {
      printed = print(text_lines(name, found)) && printed;
    } else if (!found.empty()) {
      printed = print((first_object ? "" : ",\n") + json_objects(name, found)) && printed;
      first_object = false;
    }
  }
  if (taken.format == output_format::json)
    printed = print(first_object ? "]\n" : "\n]\n") && printed;
  if (std::fflush(stdout) != 0 || !printed) {
    print_error_line("Cannot write to standard output");
    return 2;
  }
  return unreadable ? 2 : reported ? 1 : 0;
}

}  // namespace

int run_graphocheck(int argc, char** argv) {
#ifdef SIGPIPE
  // A reader that has gone makes a write fail, which is reported.
  std::signal(SIGPIPE, SIG_IGN);
#endif
  use_binary_standard_streams();
  try {
    command taken;
    if (auto failure = read_command(argc, argv, taken)) {
      print_error_line(*failure);
      return 2;
    }
    if (taken.help) return print(usage()) && std::fflush(stdout) == 0 ? 0 : 2;
    if (taken.version)
      return print("graphocheck (grapho) " GRAPHO_VERSION "\n") && std::fflush(stdout) == 0 ? 0 : 2;
    return check_files(taken);
  } catch (const std::bad_alloc&) {
    std::fputs("Out of memory\n", stderr);
    return 2;
  }
}

}  // namespace grapho
