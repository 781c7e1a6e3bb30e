// The core as the browser's page and Node scripts call it: one conversion of
// bytes in memory at a time, each like a fresh grapho (or ungrapho) given one
// file. The result stays here until the next call or until it is released,
// and the JavaScript side (interface.js) reads it through the functions below.
#include <emscripten/emscripten.h>

#include <cstddef>
#include <new>
#include <string>
#include <string_view>
#include <utility>

#include "check/check.hpp"
#include "check/json.hpp"
#include "check/warnings.hpp"
#include "convert/converter.hpp"
#include "greek/unicode_data.hpp"
#include "untype/untyper.hpp"

// Tells the JavaScript side how many bytes of the input have been read, for
// the progress of a large conversion (interface.js).
EM_JS(void, grapho_report_progress, (double read), { reportProgress(read); });

namespace {

// Named alike in interface.js.
enum class outcome { converted = 0, stopped = 1, out_of_memory = 2 };

// The input in memory, read as memory_reader reads it, each read reported.
class reporting_reader final : public grapho::byte_reader {
 public:
  explicit reporting_reader(std::string_view bytes) : bytes_(bytes) {}
  std::size_t read(unsigned char* buffer, std::size_t capacity) override {
    const std::size_t count = bytes_.read(buffer, capacity);
    if (count > 0) {
      read_ += static_cast<double>(count);
      grapho_report_progress(read_);
    }
    return count;
  }

 private:
  grapho::memory_reader bytes_;
  double read_ = 0;
};

struct result {
  std::string output;
  std::string message;
  double line = 0;
  double column = 0;
};

result last;

// Runs `work`, which fills `last.output`, and says how it ended.
template <typename Work>
outcome run(Work work) {
  last = {};
  try {
    try {
      work();
    } catch (const grapho::conversion_error& error) {
      last.message = error.message();
      last.line = static_cast<double>(error.where().line);
      last.column = static_cast<double>(error.where().column);
      return outcome::stopped;
    }
    return outcome::converted;
  } catch (const std::bad_alloc&) {
    last = {};
    return outcome::out_of_memory;
  }
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE int grapho_convert(const char* input, std::size_t size) {
  return static_cast<int>(run([&] {
    grapho::converter files;
    reporting_reader reader({input, size});
    grapho::string_writer writer(last.output);
    files.convert_stream(reader, writer, "source", "source.html");
  }));
}

// The typing of Greek, back from what grapho writes or from Unicode text.
EMSCRIPTEN_KEEPALIVE int grapho_untype(const char* input, std::size_t size) {
  return static_cast<int>(run([&] {
    reporting_reader reader({input, size});
    grapho::string_writer writer(last.output);
    grapho::untyper().untype_stream(reader, writer);
  }));
}

// Every mistake of a source, as the JSON array that graphocheck --format=json
// prints for it, its file named "source". `disabled` and `enabled` are the
// codes of warnings to switch, separated by commas; a code that names no
// warning stops it with a message, as one of a transliteration error.
EMSCRIPTEN_KEEPALIVE int grapho_check(const char* input, std::size_t size, int text,
                                      const char* disabled, std::size_t disabled_size,
                                      const char* enabled, std::size_t enabled_size) {
  return static_cast<int>(run([&] {
    grapho::check_options options;
    options.text = text != 0;
    for (auto [codes, on] : {std::pair{std::string_view(disabled, disabled_size), false},
                             std::pair{std::string_view(enabled, enabled_size), true}}) {
      if (auto refused = options.warnings.set(codes, on))
        throw grapho::conversion_error({}, *refused);
    }
    last.output =
        "[" + grapho::json_objects("source", grapho::check_source({input, size}, options)) + "]";
  }));
}

// The warnings that the check knows, one a line: code, "on" or "off" (whether
// reported unless switched), summary, separated by tabs, which none of them holds.
EMSCRIPTEN_KEEPALIVE int grapho_warnings() {
  return static_cast<int>(run([] {
    for (const grapho::warning_kind& kind : grapho::warning_kinds) {
      last.output.append(kind.code).append(kind.on_by_default ? "\ton\t" : "\toff\t");
      last.output.append(kind.summary).append("\n");
    }
  }));
}

EMSCRIPTEN_KEEPALIVE const char* grapho_output_data() {
  return last.output.data();
}
EMSCRIPTEN_KEEPALIVE std::size_t grapho_output_size() {
  return last.output.size();
}
EMSCRIPTEN_KEEPALIVE const char* grapho_message_data() {
  return last.message.data();
}
EMSCRIPTEN_KEEPALIVE std::size_t grapho_message_size() {
  return last.message.size();
}
EMSCRIPTEN_KEEPALIVE double grapho_error_line() {
  return last.line;
}
EMSCRIPTEN_KEEPALIVE double grapho_error_column() {
  return last.column;
}

// The named references that grapho writes, as "name=code point" separated by
// commas: what grapho.convert's text output turns back into characters.
EMSCRIPTEN_KEEPALIVE const char* grapho_named_references() {
  static const std::string list = [] {
    std::string names;
    for (const auto& reference : grapho::named_references)
      names += (names.empty() ? "" : ",") + std::string(reference.name) + "=" +
               std::to_string(static_cast<unsigned long>(reference.code_point));
    return names;
  }();
  return list.c_str();
}

// Gives back the memory of the last result once it has been read.
EMSCRIPTEN_KEEPALIVE void grapho_release() {
  last = {};
}
}
