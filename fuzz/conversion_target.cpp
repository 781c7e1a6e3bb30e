// The fuzz target: converts arbitrary bytes with grapho's core, through
// success and every fatal path, and checks the result against the reference
// converter; then reads the output back into typing, which must convert to
// the same output again. libFuzzer drives it under the sanitizers; replay_main.cpp feeds it
// saved inputs without libFuzzer.
//
// The first bytes of an input say how to convert it (see read_plan); the rest
// is the text, cut in two files that one converter converts one after the
// other, so that the quotation-mark state carried between files is exercised.
// Any broken expectation is printed and aborts, which libFuzzer records as a
// finding.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "check/check.hpp"
#include "convert/converter.hpp"
#include "files.hpp"
#include "reference_converter.hpp"
#include "simd/instruction_set.hpp"
#include "untype/untyper.hpp"

namespace grapho {
namespace {

namespace fs = std::filesystem;

// How the first file is read and written; the second is always converted in memory.
enum class fault {
  none,
  read,   // the input device fails after some bytes
  write,  // the output device fails after some bytes, like a full disk
  close,  // the output device fails when it is closed
  file,   // real files on disk, with convert_file
};
constexpr int fault_kinds = 5;

constexpr std::size_t buffer_sizes[] = {1, 2, 3, 7, 40, 100, converter::default_buffer_size};

// The instruction sets that this build and processor have.
const std::vector<instruction_set> instruction_sets = [] {
  std::vector<instruction_set> sets;
  for (auto set : every_instruction_set)
    if (instruction_set_available(set)) sets.push_back(set);
  return sets;
}();

struct plan {
  std::size_t buffer_size;
  instruction_set instructions;
  fault first_fault;
  std::size_t read_step;  // at most this many bytes per read; 0 for as many as asked
  std::size_t fault_at;   // where the fault strikes, reduced to the size it applies to
  std::string_view first;
  std::string_view second;
};

// Byte 0 picks the buffer size, and divided by their number the instruction set;
// byte 1 the fault, byte 2 the read step, bytes
// 3 and 4 where the fault strikes and bytes 5 and 6 where the text is cut in
// two (little-endian numbers). Missing bytes count as 0.
constexpr std::size_t plan_size = 7;

plan read_plan(std::string_view data) {
  unsigned char head[plan_size] = {};
  std::copy_n(data.begin(), std::min(data.size(), plan_size), head);
  std::string_view text = data.substr(std::min(data.size(), plan_size));
  std::size_t cut = (head[5] | head[6] << 8) % (text.size() + 1);
  return {buffer_sizes[head[0] % std::size(buffer_sizes)],
          instruction_sets[head[0] / std::size(buffer_sizes) % instruction_sets.size()],
          static_cast<fault>(head[1] % fault_kinds),
          head[2] % 8u,
          static_cast<std::size_t>(head[3] | head[4] << 8),
          text.substr(0, cut),
          text.substr(cut)};
}

// Prints what went wrong with its evidence and aborts.
[[noreturn]] void broken(std::string_view what, std::string_view expected,
                         std::string_view actual) {
  std::cerr << "grapho fuzz: " << what << "\n  expected: " << std::quoted(expected)
            << "\n  actual:   " << std::quoted(actual) << '\n';
  std::abort();
}

void require(bool condition, std::string_view what, std::string_view expected = {},
             std::string_view actual = {}) {
  if (!condition) broken(what, expected, actual);
}

// Hands out the input at most `step` bytes at a time, and fails instead of
// going past `readable` bytes.
class hostile_reader final : public byte_reader {
 public:
  hostile_reader(std::string_view bytes, std::size_t step, std::size_t readable)
      : rest_(bytes), step_(step), readable_(readable) {}

  std::size_t read(unsigned char* buffer, std::size_t capacity) override {
    if (readable_ == 0) throw read_failure{};
    std::size_t count = std::min({capacity, rest_.size(), readable_});
    if (step_ != 0) count = std::min(count, step_);
    std::copy_n(rest_.begin(), count, buffer);
    rest_.remove_prefix(count);
    readable_ -= count;
    return count;
  }

 private:
  std::string_view rest_;
  std::size_t step_;
  std::size_t readable_;
};

// Keeps at most `room` bytes, writing what fits of the write that would go
// past it before failing; may fail on closing too. Checks that nothing is
// written after the close and that the close comes only once.
class hostile_writer final : public byte_writer {
 public:
  hostile_writer(std::string& bytes, std::size_t room, bool close_fails)
      : bytes_(bytes), room_(room), close_fails_(close_fails) {}

  void write(const char* data, std::size_t size) override {
    require(closes_ == 0, "written after close");
    std::size_t fits = std::min(size, room_ - bytes_.size());
    bytes_.append(data, fits);
    if (fits < size) throw write_failure{};
  }

  void close() override {
    require(++closes_ == 1, "closed twice");
    if (close_fails_) throw write_failure{};
  }

  int closes() const { return closes_; }

 private:
  std::string& bytes_;
  std::size_t room_;
  bool close_fails_;
  int closes_ = 0;
};

struct outcome {
  std::string output;
  std::optional<conversion_error> error;
};

// Runs one conversion, keeping its report instead of letting it escape.
template <typename Conversion>
std::optional<conversion_error> report_of(Conversion conversion) {
  try {
    conversion();
  } catch (const conversion_error& error) {
    return error;
  }
  return std::nullopt;
}

const std::string_view input_path = "in.txt";
const std::string_view output_path = "in.html";

void require_report(const conversion_error& error, std::string_view path,
                    const reference::expected_error& expected) {
  require(error.report() == reference::report(path, expected), "report",
          reference::report(path, expected), error.report());
}

// A failed write or close is about the output file as a whole, at 1:1.
const std::string write_failure_report =
    reference::report(input_path, {1, 1, "Cannot write file " + std::string(output_path)});

void require_report_text(const conversion_error& error, const std::string& expected) {
  require(error.report() == expected, "report", expected, error.report());
}

// The text stopped the conversion, and saving what was written before failed:
// both are reported, the text's error first.
std::string report_with_unsaved_output(const reference::expected_error& first) {
  return reference::report(input_path, first) + '\n' + write_failure_report;
}

void require_prefix(std::string_view whole, std::string_view part) {
  require(whole.substr(0, part.size()) == part, "output kept is not a prefix of the reference",
          whole, part);
}

// Checks a conversion that nothing but the text can stop: the output and the
// report, if any, are the reference's to the byte.
void require_as_expected(const outcome& actual, const reference::expected_conversion& expected,
                         std::string_view path) {
  require(actual.output == expected.output, "output", expected.output, actual.output);
  require(actual.error.has_value() == expected.error.has_value(), "whether it fails",
          expected.error ? expected.error->message : "",
          actual.error ? actual.error->report() : "");
  if (expected.error) require_report(*actual.error, path, *expected.error);
}

// A failing write leaves the output cut anywhere after what the reference
// writes up to the failure; the text may still stop the conversion first.
void require_after_write_failure(const outcome& actual,
                                 const reference::expected_conversion& expected) {
  require(actual.error.has_value(), "succeeded although a write failed");
  require_prefix(expected.output, actual.output);
  if (expected.error && actual.error->message() == expected.error->message)
    require_report_text(*actual.error, report_with_unsaved_output(*expected.error));
  else
    require_report_text(*actual.error, write_failure_report);
}

// Converts the first file in memory through the planned fault; returns whether
// the quotation-mark state afterwards is known (it is not when a write failed
// part way: the converter may have read further than it wrote).
bool check_in_memory(converter& conversion, const plan& how, bool& quote_open) {
  bool read_fails = how.first_fault == fault::read;
  std::size_t readable =
      read_fails ? how.fault_at % (how.first.size() + 1) : std::string_view::npos;
  auto expected = reference::convert(how.first, quote_open, {input_path, readable});

  std::size_t room = how.first_fault == fault::write ? how.fault_at % (expected.output.size() + 1)
                                                     : std::string::npos;
  outcome actual;
  hostile_reader reader(how.first, how.read_step, readable);
  hostile_writer writer(actual.output, room, how.first_fault == fault::close);
  actual.error =
      report_of([&] { conversion.convert_stream(reader, writer, input_path, output_path); });
  if (!actual.error) require(writer.closes() == 1, "not closed once after success");

  if (room < expected.output.size()) {
    require_after_write_failure(actual, expected);
    return false;
  }
  if (how.first_fault == fault::close) {
    // Everything was written; closing fails, after the text's own error if any.
    require(actual.output == expected.output, "output", expected.output, actual.output);
    require(actual.error.has_value(), "succeeded although closing failed");
    require_report_text(*actual.error, expected.error ? report_with_unsaved_output(*expected.error)
                                                      : write_failure_report);
    return true;
  }
  require_as_expected(actual, expected, input_path);
  return true;
}

// A folder of the process's own for the files converted on disk, removed at exit.
const fs::path& scratch_folder() {
  struct folder {
    folder() {
      std::random_device random;
      do {
        path = fs::temp_directory_path() / ("grapho-fuzz-" + std::to_string(random()));
      } while (!fs::create_directory(path));
    }
    ~folder() {
      std::error_code ignored;
      fs::remove_all(path, ignored);
    }
    fs::path path;
  };
  static const folder scratch;
  return scratch.path;
}

outcome convert_on_disk(converter& conversion, const std::string& input,
                        const std::string& output) {
  auto error = report_of([&] { conversion.convert_file(input, output); });
  return {fs::exists(output) ? read_file(output) : "", error};
}

void require_exact_report(const outcome& actual, const std::string& report) {
  require(actual.error && actual.error->report() == report, "report", report,
          actual.error ? actual.error->report() : "success");
}

// The files that cannot be opened, reported at the start of the input.
void check_open_failures(converter& conversion) {
  const std::string input = (scratch_folder() / "in.txt").string();
  const std::string missing = (scratch_folder() / "missing.txt").string();
  const std::string unwritable = (scratch_folder() / "no folder" / "in.html").string();
  require_exact_report(convert_on_disk(conversion, missing, missing + ".html"),
                       missing + ":1:1 Cannot open file " + missing + " for reading");
  require(!fs::exists(missing + ".html"), "no output made for a missing input");
  require_exact_report(convert_on_disk(conversion, input, unwritable),
                       input + ":1:1 Cannot open file " + unwritable + " for writing");
}

// Converts the first file on disk: refused onto itself, then into its own
// output; neither may change the input.
void check_on_disk(converter& conversion, std::string_view text, bool& quote_open) {
  const std::string input = (scratch_folder() / "in.txt").string();
  const std::string output = (scratch_folder() / "in.html").string();
  write_file(input, text);
  static bool open_failures_checked = false;
  if (!open_failures_checked) {
    check_open_failures(conversion);
    open_failures_checked = true;
  }

  outcome refused = convert_on_disk(conversion, input, input);
  require_exact_report(refused,
                       input + ":1:1 Cannot write file " + input + ": it is the input file");
  require(refused.output == text, "input changed by refusing it", text, refused.output);

  // The last input's output, when it holds these very bytes and was written in
  // the same tick of the clock, would rightly be taken for the input itself.
  std::filesystem::remove(output);
  auto expected = reference::convert(text, quote_open, {input});
  require_as_expected(convert_on_disk(conversion, input, output), expected, input);
  std::string left = read_file(input);
  require(left == text, "input changed by converting it", text, left);
}

// The second file, in memory without faults, starts from the quotation-mark
// state the first left; when that is unknown, either state will do.
void check_second(converter& conversion, std::string_view text, std::optional<bool> quote_open) {
  outcome actual;
  memory_reader reader(text);
  string_writer writer(actual.output);
  actual.error =
      report_of([&] { conversion.convert_stream(reader, writer, input_path, output_path); });
  bool open = quote_open.value_or(false);
  auto expected = reference::convert(text, open);
  if (!quote_open && actual.output != expected.output) {
    open = true;
    expected = reference::convert(text, open);
  }
  require_as_expected(actual, expected, input_path);
}

// The check's first error is the conversion's error: the same place and the
// same words, but for the message's last space.
void check_first_error(std::string_view text) {
  std::string output, expected;
  memory_reader reader(text);
  string_writer writer(output);
  converter conversion;
  if (auto error =
          report_of([&] { conversion.convert_stream(reader, writer, input_path, output_path); })) {
    expected = error->report();
    if (expected.ends_with(' ')) expected.pop_back();
  }
  std::string actual;
  for (const diagnostic& found : check_source(text)) {
    if (found.level != severity::error) continue;
    actual = reference::report(input_path, {found.place.line, found.place.column, found.message});
    break;
  }
  require(actual == expected, "the check's first error", expected, actual);
}

// ---------------------------------------------------------------------------
// Reading grapho's output back into typing.

// The references in grapho's outputs, and those that ungrapho left untyped,
// printed at exit.
struct untyping_counts {
  std::size_t references = 0;
  std::size_t untyped = 0;
  ~untyping_counts() {
    if (references == 0) return;
    std::cerr << "grapho fuzz: ungrapho left " << untyped << " of " << references
              << " references untyped (" << std::fixed << std::setprecision(2)
              << 100.0 * static_cast<double>(untyped) / static_cast<double>(references) << "%)\n";
  }
};
untyping_counts untyping;

std::size_t count_of(std::string_view text, char c) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), c));
}

// Whether the bytes at `i` begin a character of the Greek blocks (U+0370 to
// U+03FF, U+1F00 to U+1FFF), judged by its UTF-8 lead bytes.
bool starts_greek_character(std::string_view text, std::size_t i) {
  auto byte = static_cast<unsigned char>(text[i]);
  auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
  return byte == 0xCE || byte == 0xCF || (byte == 0xCD && next >= 0xB0) ||
         (byte == 0xE1 && next >= 0xBC && next <= 0xBF);
}

bool holds_greek_character(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i)
    if (starts_greek_character(text, i)) return true;
  return false;
}

// Whether `text` holds a Greek character, or an "&" outside its runs, where a
// reference could stand: Greek that grapho copies, which ungrapho would type.
bool holds_greek_of_its_own(std::string_view text) {
  bool in_run = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto byte = static_cast<unsigned char>(text[i]);
    auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
    if (starts_greek_character(text, i)) return true;
    if (byte == '&' && !in_run) return true;
    if (byte == '$' && !in_run && next == '$')
      ++i;
    else if (byte == '$')
      in_run = !in_run;
  }
  return false;
}

// ungrapho of grapho's output, read `step` bytes at a time, converts back into
// that output; a text without Greek comes back as it was, each "$" doubled.
void check_untyping(std::string_view text, std::size_t step) {
  if (holds_greek_of_its_own(text)) return;
  std::string output;
  {
    memory_reader reader(text);
    string_writer writer(output);
    converter conversion;
    if (report_of([&] { conversion.convert_stream(reader, writer, input_path, output_path); }))
      return;
  }
  // Bytes on either side of a "$" can join into a Greek character that the
  // source did not hold: "\xE1$\xBC\x80" gives U+1F00.
  if (holds_greek_character(output)) return;
  std::string typed;
  hostile_reader reader(output, step, std::string_view::npos);
  string_writer writer(typed);
  untyper().untype_stream(reader, writer);
  require(untype(output) == typed, "typing read in pieces", untype(output), typed);
  std::string back;
  {
    memory_reader typed_reader(typed);
    string_writer back_writer(back);
    converter conversion;
    auto error =
        report_of([&] { conversion.convert_stream(typed_reader, back_writer, "typed", "back"); });
    require(!error, "typing does not convert", typed, error ? error->report() : "");
  }
  require(back == output, "typing converts to another output", output, back);
  untyping.references += count_of(output, '&');
  untyping.untyped += count_of(typed, '&');
  if (text.find('$') == std::string_view::npos) {
    std::string same = untype(text);
    require(same == text, "text without Greek changed", text, same);
  }
}

}  // namespace
}  // namespace grapho

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace grapho;
  plan how = read_plan({reinterpret_cast<const char*>(data), size});
  force_instruction_set(how.instructions);
  converter conversion(how.buffer_size);
  bool quote_open = false;
  std::optional<bool> after_first;
  if (how.first_fault == fault::file) {
    check_on_disk(conversion, how.first, quote_open);
    after_first = quote_open;
  } else if (check_in_memory(conversion, how, quote_open)) {
    after_first = quote_open;
  }
  check_second(conversion, how.second, after_first);
  check_first_error(how.first);
  check_first_error(how.second);
  check_untyping(std::string(how.first) + std::string(how.second), how.read_step);
  return 0;
}
