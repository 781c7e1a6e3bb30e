// Hostile input given to the built program as a user would give it: whatever
// the bytes, names and links, grapho ends by itself with status 0 or 1, says
// why when a file cannot be converted, writes the exact output where it can,
// and leaves its input as it was.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "cli/driver.hpp"
#include "command_line.hpp"
#include "reference_converter.hpp"

namespace grapho {
namespace {

// Compares big byte strings by their first difference rather than printing them.
::testing::AssertionResult same_bytes(const std::string& expected, const std::string& actual) {
  if (expected == actual) return ::testing::AssertionSuccess();
  auto difference = std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end());
  return ::testing::AssertionFailure()
         << "expected " << expected.size() << " bytes, got " << actual.size()
         << "; first difference at byte " << (difference.first - expected.begin());
}

std::string repeated(const std::string& piece, std::size_t times) {
  std::string text;
  text.reserve(piece.size() * times);
  for (std::size_t i = 0; i < times; ++i) text += piece;
  return text;
}

std::string bytes_128_to_255() {
  std::string bytes;
  for (int c = 128; c < 256; ++c) bytes += static_cast<char>(c);
  return bytes;
}

struct HostileInput : CommandLine {
  // Converts `input` from the file `name` and checks that the program does
  // all that the reference converter does: status, report and output.
  void expect_as_reference(const std::string& name, const std::string& input) {
    write_file(dir / name, input);
    auto result = run(name);
    bool quote_open = false;
    auto expected = reference::convert(input, quote_open, {name});
    EXPECT_EQ(result.status, expected.error ? 1 : 0) << name;
    EXPECT_TRUE(same_bytes(
        (expected.error ? reference::report(name, *expected.error) : "") + prompt, result.error))
        << name;
    EXPECT_TRUE(same_bytes(expected.output, read_file(dir / output_name_for(name)))) << name;
    EXPECT_TRUE(same_bytes(input, read_file(dir / name))) << name << " changed";
  }

  // Runs grapho on `arguments` that cannot be converted and checks the report
  // and that `input`, the file they name, is left as it was.
  void expect_refused(const std::string& arguments, const std::string& report,
                      const fs::path& input) {
    const std::string text = read_file(input);
    auto result = run(arguments);
    EXPECT_EQ(result.status, 1) << report;
    EXPECT_EQ(result.error, report + prompt);
    EXPECT_EQ(read_file(input), text) << report;
  }
};

TEST_F(HostileInput, CopiesUnusualBytesAndDollarSignsExactly) {
  const std::string high = bytes_128_to_255();
  struct case_ {
    std::string name, input, output;
  };
  for (const auto& [name, input, output] : {
           // Not "nul.txt": Windows keeps that name for a device.
           case_{"zeros.txt", std::string(1 << 20, '\0'), std::string(1 << 20, '\0')},
           case_{"high.txt", repeated(high + "\n$" + high + "$", 1000),
                 repeated(high + "\n" + high, 1000)},
           case_{"dollars.txt", std::string(1'000'000, '$'), std::string(500'000, '$')},
           // The last "$" opens a run that the end of the file closes.
           case_{"odd-dollars.txt", std::string(1'000'001, '$'), std::string(500'000, '$')},
           case_{"alternating.txt", repeated("$a", 1'000'000), repeated("&alpha;a", 500'000)},
           // Marks pending at the end of a run are dropped; outside runs "/" is text.
           case_{"marks.txt", repeated("$/", 1'000'000), repeated("/", 500'000)},
       }) {
    write_file(dir / name, input);
    auto result = run(name);
    EXPECT_EQ(result.status, 0) << name;
    EXPECT_EQ(result.error, prompt) << name;
    EXPECT_TRUE(same_bytes(output, read_file(dir / output_name_for(name)))) << name;
    EXPECT_TRUE(same_bytes(input, read_file(dir / name))) << name << " changed";
  }
}

TEST_F(HostileInput, ConvertsBinaryFilesAsTheReferenceDoes) {
  std::mt19937 random(20240601);
  std::uniform_int_distribution<int> byte(0, 255);
  std::string noise(1 << 20, '\0');
  for (auto& c : noise) c = static_cast<char>(byte(random));
  expect_as_reference("noise.bin", noise);
  expect_as_reference("program.bin", read_file(GRAPHO_EXE));
  // High bytes and NULs between marks and their letter pass through and keep the marks.
  expect_as_reference("mixed.txt",
                      repeated("$>" + bytes_128_to_255() + std::string(3, '\0') + "as$ ", 100));
}

TEST_F(HostileInput, ReportsNamesTooLongForTheFileSystem) {
#ifndef _WIN32
  // 10,000 characters naming in.txt: longer than any path the system opens.
  // (Windows makes such a path short by resolving its "." parts.)
  write_file(dir / "in.txt", "$a$");
  const std::string long_path = repeated("./", 4997) + "in.txt";
  expect_refused(long_path, long_path + ":1:1 Cannot open file " + long_path + " for reading",
                 dir / "in.txt");
#endif

  // Names the file system takes whose output names, of 257 and 260 bytes, it does not.
  for (const std::string& name : {std::string(252, 'x') + ".t", std::string(255, 'y')}) {
    write_file(dir / name, "$a$");
    std::string output = output_name_for(name);
    expect_refused(name, name + ":1:1 Cannot open file " + output + " for writing", dir / name);
  }
}

TEST_F(HostileInput, RefusesOutputsThatAreLinksItCannotUse) {
  write_file(dir / "in.txt", "$a$");
  fs::create_hard_link(dir / "in.txt", dir / "in.html");
  expect_refused("in.txt", "in.txt:1:1 Cannot write file in.html: it is the input file",
                 dir / "in.txt");

#ifndef _WIN32
  write_file(dir / "loop.txt", "$a$");
  fs::create_symlink("loop.html", dir / "loop.html");
  expect_refused("loop.txt", "loop.txt:1:1 Cannot open file loop.html for writing",
                 dir / "loop.txt");
#endif
}

TEST_F(HostileInput, EndsWithStandardInputClosedOrEmpty) {
  write_file(dir / "good.txt", "$a$");
  write_file(dir / "bad.txt", "$<>a$");
  for (const std::string redirection : {"<&-", "</dev/null"}) {
    auto result = run_redirected("good.txt", redirection);
    EXPECT_EQ(result.status, 0) << redirection;
    EXPECT_EQ(result.error, prompt) << redirection;
    EXPECT_EQ(read_file(dir / "good.html"), "&alpha;") << redirection;

    result = run_redirected("bad.txt good.txt", redirection);
    EXPECT_EQ(result.status, 1) << redirection;
    EXPECT_EQ(result.error,
              "bad.txt:1:4 Cannot mix different breathings: a with rough smooth " + prompt)
        << redirection;
  }
}

// A line of 100 MiB with no line end, converted to the byte, with an error at
// its end placed at its true column: past what sixteen or twenty-four bits
// could count. One MiB of the line: a word, whose "l" and closing "$" are
// looked at twice, then filler to the MiB.
const std::string word = "$l/ogos$ ";
const std::string piece = word + std::string((1 << 20) - word.size(), 'x');
const std::string converted_piece =
    "&lambda;&#x1f79;&gamma;&omicron;&sigmaf; " + std::string((1 << 20) - word.size(), 'x');
constexpr std::size_t pieces = 100;

// Two accents on one letter, reported at the "a", the fourth byte.
const std::string bad_end = "$/\\a$";

// Checks that `path` holds `pieces` copies of `expected_piece`, then `tail`,
// without holding the whole file in memory.
::testing::AssertionResult holds_pieces(const fs::path& path, const std::string& expected_piece,
                                        const std::string& tail) {
  std::ifstream file(path, std::ios::binary);
  std::string buffer(expected_piece.size(), '\0');
  for (std::size_t i = 0; i < pieces; ++i) {
    if (!file.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) ||
        buffer != expected_piece)
      return ::testing::AssertionFailure() << path << " differs in piece " << i;
  }
  std::string rest(tail.size() + 1, '\0');
  file.read(rest.data(), static_cast<std::streamsize>(rest.size()));
  rest.resize(static_cast<std::size_t>(file.gcount()));
  if (rest != tail) return ::testing::AssertionFailure() << path << " ends in \"" << rest << '"';
  return ::testing::AssertionSuccess();
}

TEST_F(HostileInput, ConvertsALineOf100MiBToTheByteAndPlacesAnErrorAtItsEnd) {
  {
    std::ofstream file(dir / "long.txt", std::ios::binary);
    for (std::size_t i = 0; i < pieces; ++i) file << piece;
    file << bad_end;
  }
  auto result = run("long.txt");
  std::size_t column = pieces * piece.size() + 4;
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.error, "long.txt:1:" + std::to_string(column) +
                              " Cannot mix different accents: a with acute grave " + prompt);
  EXPECT_TRUE(holds_pieces(dir / "long.html", converted_piece, ""));
  EXPECT_TRUE(holds_pieces(dir / "long.txt", piece, bad_end));
}

// The tests below need what POSIX systems alone have: links to devices, names
// holding control characters, a shell with FIFOs and memory limits.
#ifndef _WIN32

// A line longer than 2^31 bytes, most of it a hole in a sparse file, with its
// output thrown away: the column must not stop at what an int can hold.
TEST_F(HostileInput, CountsAColumnPastTwoToThe31st) {
  const std::uint64_t hole = (std::uint64_t{1} << 31) + 1000;
  {
    std::ofstream file(dir / "sparse.txt", std::ios::binary);
    file.seekp(static_cast<std::streamoff>(hole));
    file << bad_end;
  }
  fs::create_symlink("/dev/null", dir / "sparse.html");
  auto result = run("sparse.txt");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.error, "sparse.txt:1:" + std::to_string(hole + 4) +
                              " Cannot mix different accents: a with acute grave " + prompt);
}

// A file name made to retitle and clear the terminal, holding an escape byte
// in a run: on a terminal both show as escapes, through a pipe the bytes stay.
TEST_F(HostileInput, ShowsControlCharactersOnATerminalOnly) {
  const std::string name = "\x1b]0;owned\a\x1b[2Jevil.txt";
  write_file(dir / name, "$<>\x1b$");
  const std::string message = ":1:4 Cannot mix different breathings: \x1b with rough smooth ";

  auto result = run("*evil.txt");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.error, name + message + prompt);

  // script gives the program a pseudo-terminal, which ends each line with CR LF.
  int status = shell("script -qec 'GRAPHO *evil.txt </dev/null' /dev/null </dev/null >screen");
  if (status == 127) GTEST_SKIP() << "script is not installed";
  EXPECT_EQ(status, 1);
  EXPECT_EQ(read_file(dir / "screen"),
            "\\x1b]0;owned\\x07\\x1b[2Jevil.txt:1:4 Cannot mix "
            "different breathings: \\x1b with rough smooth \r\n"
            "Press <ENTER> to terminate...");
}

// The prompt takes at most three characters of a line and leaves the rest to
// whoever reads standard input next, from a pipe as from a file.
TEST_F(HostileInput, PromptLeavesTheRestOfStandardInput) {
  struct case_ {
    std::string typed, rest;
  };
  for (const auto& [typed, rest] : {
           case_{"hello world\nsecond\n", "lo world\nsecond\n"},
           case_{"hi\nsecond\n", "second\n"},
           case_{"\nsecond\n", "second\n"},
           case_{"abc\nsecond", "\nsecond"},
           case_{"ab", ""},
       }) {
    write_file(dir / "typed", typed);
    for (const std::string command : {"(GRAPHO; cat) <typed", "cat typed | (GRAPHO; cat)"}) {
      EXPECT_EQ(shell(command + " >rest 2>/dev/null"), 0) << command;
      EXPECT_EQ(read_file(dir / "rest"), rest) << command << " with " << typed;
    }
  }
}

// An output name that is a link from an overlay file system's merged view into
// one of its layers, where the input has another device number, and with some
// options another inode or change time. The overlay is mounted in a mount
// namespace of the test's own (and a user namespace where the test is not
// root, if the system lets users make them) and goes with it.
TEST_F(HostileInput, RefusesAnOutputThatIsTheInputSeenInALayer) {
  const std::string text = repeated("$a$ line\n", 2000);
  struct case_ {
    std::string name, options, layer, before;
  };
  const case_ cases[] = {
      {"lower", "", "lower", ""},
      {"upper", "", "upper", ""},
      // The upper layer on another file system: the merged view gives the
      // lower file's inode with its high bit set.
      {"xino", ",xino=on", "lower", "mount -t tmpfs tmpfs upper && mkdir upper/u upper/w && "},
      // Its attributes changed through the merged view, which alone then
      // shows the change's time.
      {"metacopy", ",metacopy=on", "lower", ""},
  };
  int mounted = 0;
  for (const auto& [name, options, layer, before] : cases) {
    const fs::path root = dir / name;
    for (const std::string folder : {"lower", "upper", "work", "merged"})
      fs::create_directories(root / folder);
    write_file(root / layer / "page.txt", text);
    // On tmpfs the upper and work folders are made inside the namespace.
    const std::string upper = before.empty() ? "upper" : "upper/u";
    const std::string work = before.empty() ? "work" : "upper/w";
    const std::string script =
        "cd " + name + " && " + before +
        "mount -t overlay overlay -o lowerdir=\\$PWD/lower,upperdir=\\$PWD/" + upper +
        ",workdir=\\$PWD/" + work + options + " merged && cd merged && " +
        (name == "metacopy" ? "chmod 600 page.txt && " : "") + "ln -s \\$PWD/../" + layer +
        "/page.txt page.html && { GRAPHO page.txt </dev/null 2>../error; echo \\$? >../status; }";
    int status = shell("{ unshare -m sh -c \"" + script + "\" || unshare -rm sh -c \"" + script +
                       "\"; } 2>/dev/null");
    // The overlay leaves a folder in the work folder that not even its owner
    // may open, and so remove, until it is given permissions.
    std::error_code no_folder;
    fs::permissions(root / "work" / "work", fs::perms::owner_all, no_folder);
    if (status != 0) continue;
    ++mounted;
    EXPECT_EQ(read_file(root / "status"), "1\n") << name;
    EXPECT_EQ(read_file(root / "error"),
              "page.txt:1:1 Cannot write file page.html: it is the input file" + prompt)
        << name;
    EXPECT_TRUE(same_bytes(text, read_file(root / layer / "page.txt"))) << name;
  }
  if (mounted == 0) GTEST_SKIP() << "no overlay can be mounted here";
}

// No signal ends the program and nothing makes it wait: a closed standard
// error leaves the status as earned, an output that is a pipe is refused,
// with or without a reader, and one that would grow past the limit on a
// file's size is reported.
TEST_F(HostileInput, ReportsFailedWritesInsteadOfDying) {
  write_file(dir / "good.txt", "$a$");
  // The pipe on standard error has lost its only reader before the program starts.
  EXPECT_EQ(shell("mkfifo err && exec 3<>err 4>err 3<&- && GRAPHO good.txt </dev/null 2>&4"), 0);
  EXPECT_EQ(read_file(dir / "good.html"), "&alpha;");

  write_file(dir / "big.txt", repeated("$m^hnin >/aeide$ ", 100000));
  ASSERT_EQ(shell("mkfifo big.html"), 0);
  // timeout ends a program that waits for a reader (status 124).
  for (const std::string reader : {"", "exec 3<>big.html && "}) {
    EXPECT_EQ(shell(reader + "timeout 60 GRAPHO big.txt </dev/null 2>stderr"), 1) << reader;
    EXPECT_EQ(read_file(dir / "stderr"),
              "big.txt:1:1 Cannot open file big.html for writing" + prompt);
  }

  // In blocks of 512 bytes for dash, of 1,024 for bash: both below the output.
  fs::copy_file(dir / "big.txt", dir / "limited.txt");
  EXPECT_EQ(shell("ulimit -f 100 && GRAPHO limited.txt </dev/null 2>stderr"), 1);
  EXPECT_EQ(read_file(dir / "stderr"), "limited.txt:1:1 Cannot write file limited.html" + prompt);
  write_file(dir / "limited.html", repeated("&alpha;&beta; ", 100'000));
  EXPECT_EQ(shell("ulimit -f 100 && '" UNGRAPHO_EXE "' limited.html >typed 2>stderr"), 1);
  EXPECT_EQ(read_file(dir / "stderr"), "Cannot write to standard output\n");
}

// Why a limit of memory would not be the program's own here, or null: the
// sanitizers need more address space than the limits tried, and an emulator
// needs more for itself.
const char* why_memory_limits_are_not_ours() {
#if defined(GRAPHO_SANITIZED)
  return "the sanitizers need more address space than the limits tried";
#elif defined(GRAPHO_EMULATED)
  return "the limits would be the emulator's, which needs more";
#else
  return nullptr;
#endif
}

// Memory too short for the program's buffers, or for a report: a message and
// status 1, never an abort. Below some limit the program cannot even be loaded
// (status 127), and above another it has all it needs; in between it must
// report. Memory enough for the buffers but not for the thread that writes in
// the background leaves the writing to be done in turn, silently. A missing
// file with a long name makes a report of some 256 KiB, for which memory runs
// out at limits where the buffers fit.
TEST_F(HostileInput, ReportsRunningOutOfMemory) {
  if (const char* why = why_memory_limits_are_not_ours()) GTEST_SKIP() << why;
  // Output of several buffers, so that a thread is asked for.
  write_file(dir / "in.txt", repeated("$a$ ", 100'000));
  const std::string long_name(131'000, 'n');
  const std::string missing = long_name + ":1:1 Cannot open file " + long_name + " for reading";
  int reported = 0;
  int reported_for_long_name = 0;
  for (int kib = 3072; kib <= 16384; kib += 64) {
    const std::string limit = "ulimit -v " + std::to_string(kib);
    int status = shell(limit + " && GRAPHO in.txt </dev/null 2>stderr");
    std::string error = read_file(dir / "stderr");
    EXPECT_TRUE(status == 0 || status == 1 || status == 127)
        << status << " at " << kib << " KiB: " << error;
    if (status == 1) {
      EXPECT_EQ(error, "Out of memory" + prompt) << kib << " KiB";
    }
    if (status == 0) {
      EXPECT_EQ(read_file(dir / "in.html"), repeated("&alpha; ", 100'000)) << kib << " KiB";
    }
    reported += status == 1;

    // The name is made by the shell, as a command holding it would be too
    // long; a shell that holds it may itself run short of memory (status 2).
    status = shell("N=$(printf %131000s '' | tr ' ' n) && { " + limit +
                   " && GRAPHO \"$N\" </dev/null; } 2>stderr");
    error = read_file(dir / "stderr");
    EXPECT_TRUE(status == 1 || status == 2 || status == 127)
        << status << " at " << kib << " KiB: " << error.substr(0, 100);
    if (status == 1) {
      EXPECT_TRUE(error == "Out of memory" + prompt || error == missing + prompt)
          << kib << " KiB: " << error.substr(0, 100);
    }
    reported_for_long_name += error == "Out of memory" + prompt;
  }
  EXPECT_GT(reported, 0);
  EXPECT_GT(reported_for_long_name, 0);
}

// ungrapho the same way, in finer steps: its buffers are smaller than
// grapho's, and the limits at which it is loaded but cannot throw fewer.
TEST_F(HostileInput, UngraphoReportsRunningOutOfMemory) {
  if (const char* why = why_memory_limits_are_not_ours()) GTEST_SKIP() << why;
  write_file(dir / "in.html", repeated("&alpha; ", 100'000));
  std::string typed = repeated("a ", 100'000);
  typed.insert(0, "$").insert(typed.size() - 1, "$");
  const std::string ungrapho = "'" UNGRAPHO_EXE "' ";
  int reported = 0;
  for (int kib = 3072; kib <= 8192; kib += 16) {
    const std::string limit = "ulimit -v " + std::to_string(kib) + " && ";
    int status = shell(limit + ungrapho + "in.html >out 2>stderr");
    std::string error = read_file(dir / "stderr");
    EXPECT_TRUE(status == 0 || status == 1 || status == 127)
        << status << " at " << kib << " KiB: " << error;
    if (status == 1) {
      EXPECT_EQ(error, "Out of memory\n") << kib << " KiB";
    }
    if (status == 0) {
      EXPECT_EQ(read_file(dir / "out"), typed) << kib << " KiB";
    }
    reported += status == 1;

    // A missing file whose message alone needs more memory than is left.
    if (kib % 64 != 0) continue;
    status = shell("N=$(printf %131000s '' | tr ' ' n) && { " + limit + ungrapho +
                   "in.html \"$N\" >/dev/null; } 2>stderr");
    error = read_file(dir / "stderr");
    EXPECT_TRUE(status == 1 || status == 2 || status == 127)
        << status << " at " << kib << " KiB: " << error.substr(0, 100);
    if (status == 1) {
      EXPECT_TRUE(error == "Out of memory\n" || error.ends_with(" for reading\n"))
          << kib << " KiB: " << error.substr(0, 100);
    }
  }
  EXPECT_GT(reported, 0);
}

#endif

}  // namespace
}  // namespace grapho
