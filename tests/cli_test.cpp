// Runs the built program as a user would: files in a fresh folder, standard
// input redirected, and checks the exit status, standard error and every byte
// written.
#include <string>

#include "cli/driver.hpp"
#include "command_line.hpp"

namespace grapho {
namespace {

TEST_F(CommandLine, ConvertsEachFileAndPromptsBeforeExit) {
  write_file(dir / "ode.txt", "<p>$l/ogos$</p>\n");
  write_file(dir / "notes", "a$$b $a\"$\n");
  auto result = run("ode.txt notes", "\n");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.error, prompt);
  EXPECT_EQ(result.output, "");
  EXPECT_EQ(read_file(dir / "ode.html"), "<p>&lambda;&#x1f79;&gamma;&omicron;&sigmaf;</p>\n");
  EXPECT_EQ(read_file(dir / "notes.html"), "a$b &alpha;&ldquo;\n");
}

TEST_F(CommandLine, WithoutArgumentsOnlyPrompts) {
  auto result = run("");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.error, prompt);
}

TEST_F(CommandLine, CarriesTheQuotationMarkFromFileToFile) {
  write_file(dir / "a.txt", "$\"a$");
  write_file(dir / "b.txt", "$b\"$");
  EXPECT_EQ(run("a.txt b.txt").status, 0);
  EXPECT_EQ(read_file(dir / "a.html"), "&ldquo;&alpha;");
  EXPECT_EQ(read_file(dir / "b.html"), "&beta;&rdquo;");
}

TEST_F(CommandLine, LaterFileWithTheSameOutputNameReplacesTheEarlier) {
  write_file(dir / "x.txt", "$a$");
  write_file(dir / "x.text", "$b$");
  EXPECT_EQ(run("x.txt x.text").status, 0);
  EXPECT_EQ(read_file(dir / "x.html"), "&beta;");
}

TEST_F(CommandLine, ReportsAMissingInputAndLeavesAnEmptyOutput) {
  struct case_ {
    std::string arguments, report, output_name;
  };
  for (const auto& [arguments, report, output_name] : {
           case_{"in.txt", "in.txt:1:1 Cannot open file in.txt for reading", "in.html"},
           case_{"-e", "-e:1:1 Cannot open file -e for reading", "-e.html"},
           case_{"''", ":1:1 Cannot open file  for reading", ".html"},
       }) {
    auto result = run(arguments);
    EXPECT_EQ(result.status, 1) << arguments;
    EXPECT_EQ(result.error, report + prompt);
    EXPECT_TRUE(fs::is_regular_file(dir / output_name)) << output_name;
    EXPECT_EQ(fs::file_size(dir / output_name), 0u) << output_name;
  }
}

TEST_F(CommandLine, StopsAtTheFirstErrorKeepingWhatWasWritten) {
  write_file(dir / "bad.txt", "<p>$m^hnin$</p>\n<p>$l/ogos$ and $>/b$</p>\n");
  write_file(dir / "good.txt", "$a$");
  auto result = run("bad.txt good.txt");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.error,
            "bad.txt:2:20 Invalid diacritic combination: b with smooth acute " + prompt);
  EXPECT_EQ(read_file(dir / "bad.html"),
            "<p>&mu;&#x1fc6;&nu;&iota;&nu;</p>\n<p>&lambda;&#x1f79;&gamma;&omicron;&sigmaf; and ");
  EXPECT_FALSE(fs::exists(dir / "good.html"));
}

// The position is that of the character in hand, however often the characters
// before it were looked at again.
TEST_F(CommandLine, PointsAtTheCharacterInHand) {
  struct case_ {
    std::string text, report;
  };
  for (const auto& [text, report] : {
           // A conflict found at a line end points at the line end itself.
           case_{"$<>\na$", "ode.txt:1:4 Cannot mix different breathings: \n with rough smooth "},
           // Word-final sigmas look at the line end after them, and each run's
           // first character is looked at twice.
           case_{"$logos\nlogos\nlogos$\n$/\\a$",
                 "ode.txt:4:4 Cannot mix different accents: a with acute grave "},
           case_{"$ss ss ss ss ss ss ss ss ss ss <>a$",
                 "ode.txt:1:34 Cannot mix different breathings: a with rough smooth "},
           case_{"x$-[{- /\\a$", "ode.txt:1:10 Cannot mix different accents: a with acute grave "},
       }) {
    write_file(dir / "ode.txt", text);
    auto result = run("ode.txt");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.error, report + prompt);
  }
}

TEST_F(CommandLine, RefusesToOverwriteItsInput) {
  const std::string text = "<p>$a$</p>\n";
  write_file(dir / "page.html", text);
  auto result = run("page.html");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.error,
            "page.html:1:1 Cannot write file page.html: it is the input file" + prompt);
  EXPECT_EQ(read_file(dir / "page.html"), text);

  write_file(dir / "in.txt", text);
  fs::create_symlink("in.txt", dir / "in.html");
  result = run("in.txt");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.error, "in.txt:1:1 Cannot write file in.html: it is the input file" + prompt);
  EXPECT_EQ(read_file(dir / "in.txt"), text);
}

TEST_F(CommandLine, ReportsFailedReadsAndWrites) {
  fs::create_directory(dir / "folder.txt");
  auto result = run("folder.txt");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.error, "folder.txt:1:1 Cannot read file folder.txt" + prompt);

  write_file(dir / "full.txt", "abc");
  fs::create_symlink("/dev/full", dir / "full.html");
  result = run("full.txt");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.error, "full.txt:1:1 Cannot write file full.html" + prompt);

  write_file(dir / "taken.txt", "abc");
  fs::create_directory(dir / "taken.html");
  result = run("taken.txt");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.error, "taken.txt:1:1 Cannot open file taken.html for writing" + prompt);
}

TEST_F(CommandLine, HandlesPathsLongerThan260Bytes) {
  fs::path folder = dir;
  std::string relative;
  for (int i = 0; i < 6; ++i) {
    std::string name(60, static_cast<char>('a' + i));
    folder /= name;
    relative += name + "/";
  }
  fs::create_directories(folder);
  write_file(folder / "long.name.txt", "$a$");
  auto result = run("'" + relative + "long.name.txt'");
  EXPECT_EQ(result.status, 0) << result.error;
  EXPECT_EQ(read_file(folder / "long.name.html"), "&alpha;");
}

TEST_F(CommandLine, ConvertsTheBundledExample) {
  fs::copy_file(GRAPHO_EXAMPLES_DIR "/quotations.txt", dir / "quotations.txt");
  auto result = run("quotations.txt");
  EXPECT_EQ(result.status, 0) << result.error;
  EXPECT_EQ(read_file(dir / "quotations.html"), read_file(GRAPHO_EXAMPLES_DIR "/quotations.html"));
}

TEST(OutputName, ReplacesTheTextAfterTheLastDot) {
  struct case_ {
    std::string input, output;
  };
  for (const auto& [input, output] : {
           case_{"notes.txt", "notes.html"},
           case_{"notes", "notes.html"},
           case_{"a.b.c", "a.b.html"},
           case_{"old.d/readme", "old.html"},
           case_{"./readme", ".html"},
           case_{"", ".html"},
           case_{std::string(1000, 'x') + ".txt", std::string(1000, 'x') + ".html"},
       }) {
    EXPECT_EQ(output_name_for(input), output) << input;
  }
}

}  // namespace
}  // namespace grapho
