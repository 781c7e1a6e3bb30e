// Runs the built program as a user would: files in a fresh folder, standard
// input redirected, and checks the exit status, standard error and every byte
// written.
#include <chrono>
#include <string>

#include "check/warnings.hpp"
#include "cli/driver.hpp"
#include "command_line.hpp"
#include "io/terminal_text.hpp"

namespace grapho {
namespace {

TEST_F(CommandLine, ConvertsEachFileAndPromptsBeforeExit) {
  write_file(dir / "ode.txt", "<p>$l/ogos$</p>\n");
  write_file(dir / "notes", "a$$b $a\"$\n");
  // A name in Greek; CR LF line ends and a Ctrl-Z byte, which end nothing.
  write_file(dir / fs::path(u8"ωδή.txt"), "$a$\r\nx\x1a\r\n$b$");
  auto result = run("ode.txt notes ωδή.txt", "\n");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.error, prompt);
  EXPECT_EQ(result.output, "");
  EXPECT_EQ(read_file(dir / "ode.html"), "<p>&lambda;&#x1f79;&gamma;&omicron;&sigmaf;</p>\n");
  EXPECT_EQ(read_file(dir / "notes.html"), "a$b &alpha;&ldquo;\n");
  EXPECT_EQ(read_file(dir / fs::path(u8"ωδή.html")), "&alpha;\r\nx\x1a\r\n&beta;");

  result = run("λάθος.txt");
  EXPECT_EQ(result.error, "λάθος.txt:1:1 Cannot open file λάθος.txt for reading" + prompt);
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

// An input that cannot be opened or read leaves an existing output byte for
// byte as it was, and makes no new one.
TEST_F(CommandLine, LeavesTheOutputAloneWhenTheInputCannotBeRead) {
  const std::string page = "<p>&alpha;</p>\n";
  fs::create_directory(dir / "folder.txt");
  struct case_ {
    std::string arguments, report, output_name;
    bool output_exists;
  };
  for (const auto& [arguments, report, output_name, output_exists] : {
           case_{"in.txt", "in.txt:1:1 Cannot open file in.txt for reading", "in.html", false},
           case_{"page.tx", "page.tx:1:1 Cannot open file page.tx for reading", "page.html", true},
           case_{"-e", "-e:1:1 Cannot open file -e for reading", "-e.html", false},
           case_{"-", "-:1:1 Cannot open file - for reading", ".html", false},
           case_{"--help", "--help:1:1 Cannot open file --help for reading", "--help.html", false},
           case_{"''", ":1:1 Cannot open file  for reading", ".html", false},
           case_{"folder.txt", "folder.txt:1:1 Cannot read file folder.txt", "folder.html", false},
           case_{"folder.txt", "folder.txt:1:1 Cannot read file folder.txt", "folder.html", true},
       }) {
    if (output_exists) write_file(dir / output_name, page);
    auto result = run(arguments);
    EXPECT_EQ(result.status, 1) << arguments;
    EXPECT_EQ(result.error, report + prompt);
    if (output_exists) {
      EXPECT_EQ(read_file(dir / output_name), page) << output_name;
      fs::remove(dir / output_name);
    }
    EXPECT_FALSE(fs::exists(dir / output_name)) << output_name;
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

#ifndef _WIN32
  write_file(dir / "in.txt", text);
  fs::create_symlink("in.txt", dir / "in.html");
  result = run("in.txt");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.error, "in.txt:1:1 Cannot write file in.html: it is the input file" + prompt);
  EXPECT_EQ(read_file(dir / "in.txt"), text);
#endif

  // Another file that agrees with the input in size and in the time of the
  // last write, as two views of one file do, is told apart by its contents.
  // The time is set in whole seconds, which is all that some systems set.
  write_file(dir / "copy.txt", text);
  const auto time = std::chrono::floor<std::chrono::seconds>(fs::last_write_time(dir / "copy.txt"));
  fs::last_write_time(dir / "copy.txt", time);
  struct case_ {
    std::string output;
    int status;
    std::string error, result;
  };
  for (const auto& [output, status, error, result] : {
           case_{text, 1, "copy.txt:1:1 Cannot write file copy.html: it is the input file", text},
           case_{"<p>$b$</p>\n", 0, "", "<p>&alpha;</p>\n"},
       }) {
    write_file(dir / "copy.html", output);
    fs::last_write_time(dir / "copy.html", time);
    auto copied = run("copy.txt");
    EXPECT_EQ(copied.status, status) << output;
    EXPECT_EQ(copied.error, error + prompt);
    EXPECT_EQ(read_file(dir / "copy.html"), result);
  }
}

#ifdef _WIN32
// Windows separates folders with backslashes too, starts absolute paths with a
// drive, matches names whatever their case, and keeps some names for its
// devices: the console, the null device, ports. Folders named like devices
// are made through the path that Windows takes as it stands.
TEST_F(CommandLine, TakesNamesAsWindowsDoes) {
  const std::string text = "<p>$a$</p>\n";
  fs::create_directory(dir / "sub");
  write_file(dir / "sub" / "page.txt", text);
  for (const std::string& path :
       {std::string("sub\\page.txt"), (dir / "sub" / "page.txt").make_preferred().string()}) {
    auto result = run("'" + path + "'");
    EXPECT_EQ(result.status, 0) << path;
    EXPECT_EQ(result.error, prompt) << path;
    EXPECT_EQ(read_file(dir / "sub" / "page.html"), "<p>&alpha;</p>\n") << path;
    fs::remove(dir / "sub" / "page.html");
  }

  write_file(dir / "PAGE.HTML", text);
  auto result = run("PAGE.HTML");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.error,
            "PAGE.HTML:1:1 Cannot write file PAGE.html: it is the input file" + prompt);
  EXPECT_EQ(read_file(dir / "PAGE.HTML"), text);

  for (const std::string device : {"con", "NUL", "com1", "Lpt3", "aux "}) {
    const std::string input = device + ".d/page";
    fs::create_directory(verbatim(dir / (device + ".d")));
    write_file(verbatim(dir / input), text);
    result = run("'" + input + "'");
    EXPECT_EQ(result.status, 1) << device;
    EXPECT_EQ(result.error,
              input + ":1:1 Cannot open file " + device + ".html for writing" + prompt);
    EXPECT_FALSE(fs::exists(verbatim(dir / (device + ".html")))) << device;
    EXPECT_EQ(read_file(verbatim(dir / input)), text);
  }
  // Nor is a device read: "com1.txt" would wait on a serial port.
  result = run("com1.txt");
  EXPECT_EQ(result.error, "com1.txt:1:1 Cannot open file com1.txt for reading" + prompt);
}
#endif

TEST_F(CommandLine, ReportsFailedReadsAndWrites) {
  write_file(dir / "taken.txt", "abc");
  fs::create_directory(dir / "taken.html");
  auto result = run("taken.txt");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.error, "taken.txt:1:1 Cannot open file taken.html for writing" + prompt);

#ifndef _WIN32
  write_file(dir / "full.txt", "abc");
  fs::create_symlink("/dev/full", dir / "full.html");
  result = run("full.txt");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.error, "full.txt:1:1 Cannot write file full.html" + prompt);

  // The text's error first, then the output written before it, which cannot be saved.
  write_file(dir / "lost.txt", "$m^hnin <>a$");
  fs::create_symlink("/dev/full", dir / "lost.html");
  result = run("lost.txt");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.error,
            "lost.txt:1:11 Cannot mix different breathings: a with rough smooth \n"
            "lost.txt:1:1 Cannot write file lost.html" +
                prompt);

  // The output before an error fills buffers, none of which can be written:
  // that failure comes first, and is reported alone.
  write_file(dir / "late.txt", std::string(1000000, 'x') + "$/\\a$");
  fs::create_symlink("/dev/full", dir / "late.html");
  result = run("late.txt");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.error, "late.txt:1:1 Cannot write file late.html" + prompt);
#endif
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

TEST(TerminalText, ShowsControlCharactersAsEscapes) {
  struct case_ {
    std::string text, shown;
  };
  for (const auto& [text, shown] : {
           case_{"ode.txt:1:4 plain ~ text", "ode.txt:1:4 plain ~ text"},
           case_{"\x1b]0;owned\a\x1b[2Jevil.txt", "\\x1b]0;owned\\x07\\x1b[2Jevil.txt"},
           case_{std::string("\n\r\t\x7f\0", 5), "\\n\\r\\t\\x7f\\x00"},
           // Printable UTF-8 stays: Greek, a no-break space, a four-byte character.
           case_{"\xce\xbc\xe1\xbf\x86\xce\xbd.txt \xc2\xa0\xf0\x9f\x8f\x9b",
                 "\xce\xbc\xe1\xbf\x86\xce\xbd.txt \xc2\xa0\xf0\x9f\x8f\x9b"},
           // C1 controls, such as the one-byte CSI, in UTF-8.
           case_{"\xc2\x9b"
                 "2J\xc2\x85",
                 "\\xc2\\x9b"
                 "2J\\xc2\\x85"},
           // Not UTF-8: stray bytes, overlong forms, surrogates, past U+10FFFF, cut short.
           case_{"\xff\x80\xce", "\\xff\\x80\\xce"},
           case_{"\xc0\xaf\xe0\x80\xaf", "\\xc0\\xaf\\xe0\\x80\\xaf"},
           case_{"\xed\xa0\x80\xf4\x90\x80\x80", "\\xed\\xa0\\x80\\xf4\\x90\\x80\\x80"},
           case_{"a\xe1\xbf", "a\\xe1\\xbf"},
       }) {
    EXPECT_EQ(escape_control_characters(text), shown) << text;
  }
}

// graphocheck as editors and CI run it: every mistake of every file, one a
// line or as JSON, and nothing written but to standard output.
class Graphocheck : public CommandLine {
 protected:
  void SetUp() override {
    CommandLine::SetUp();
    program = GRAPHOCHECK_EXE;
  }
};

TEST_F(Graphocheck, PrintsEveryMistakeOfEachFile) {
  // A line end in hand is named by an escape, which keeps the message on its line.
  write_file(dir / "ode.txt", "<p>$/\\a$ and $l/ ogos$</p>\n$m^hnin\n<>\n$");
  write_file(dir / "clean.txt", "<p>$m^hnin$ for 5$$</p>\r\n");
  // Binary files and streams: CR LF and Ctrl-Z are bytes like others.
  write_file(dir / "price.txt", "\x1a\r\n25$ \x1a");
  fs::create_directory(dir / "folder");
  // The accents, in a source and, with --text, in Markdown, HTML, TEI and plain text.
  write_file(dir / "accents.txt", "<p>$>agaq/os >an/hr$</p>\n");
  write_file(dir / "homer.md", "# Ὅμηρος\n\n**ἀγαθός** ἀνήρ\n");
  write_file(dir / "page.html", "<!DOCTYPE html>\n<p>λογος</p>\n");
  write_file(dir / "verse.xml", "<TEI><text><body>\n<l n=\"1\">καλὸς.</l>\n</body></text></TEI>\n");
  write_file(dir / "plain.txt", "ἔλεγομεν\n");
  write_file(dir / "clean.html", "<p>μῆνιν ἄειδε θεὰ</p>\n");
  write_file(dir / "empty.txt", "");
  const std::string acute_before_word =
      ": warning: Acute on the last syllable before another word: a grave is expected, unless an "
      "enclitic follows [acute-before-word]\n";
  const std::string too_far =
      "Acute before the antepenult: an acute stands on one of the last three syllables";
  const std::string ode =
      "ode.txt:1:7: error: Cannot mix different accents: a with acute grave [mixed-accents]\n"
      "ode.txt:1:16: warning: Marks apart from their letter: \"/\" goes to \"o\"; type \"/o\" "
      "[marks-apart]\n"
      "ode.txt:1:18: note: The letter they go to [marks-apart]\n"
      "ode.txt:3:3: error: Cannot mix different breathings: \\n with rough smooth "
      "[mixed-breathings]\n"
      "ode.txt:2:1: note: The Greek run began here [mixed-breathings]\n";
  const std::string price =
      "price.txt:2:3: warning: \"$\" after a digit opens a Greek run: type \"$$\" for a dollar "
      "sign [dollar-after-digit]\n"
      "price.txt:2:3: warning: Greek run still open at the end of the file: close it with \"$\" "
      "[open-run]\n";
  const std::string price_json =
      "[\n"
      "{\"file\": \"price.txt\", \"line\": 2, \"column\": 3, \"severity\": \"warning\", "
      "\"code\": \"dollar-after-digit\", \"message\": \"\\\"$\\\" after a digit opens a Greek "
      "run: type \\\"$$\\\" for a dollar sign\", \"notes\": []},\n"
      "{\"file\": \"price.txt\", \"line\": 2, \"column\": 3, \"severity\": \"warning\", "
      "\"code\": \"open-run\", \"message\": \"Greek run still open at the end of the file: "
      "close it with \\\"$\\\"\", \"notes\": []}\n"
      "]\n";
  struct case_ {
    std::string arguments, input;
    int status;
    std::string output, error;
  };
  for (const auto& [arguments, input, status, output, error] : {
           case_{"ode.txt clean.txt price.txt", "", 1, ode + price, ""},
           case_{"clean.txt", "", 0, "", ""},
           case_{"--format=json price.txt clean.txt", "", 1, price_json, ""},
           case_{"clean.txt --format json", "", 0, "[\n]\n", ""},
           case_{"", "$<\\h$\r\n\x1a$<>a$", 1,
                 "<stdin>:2:5: error: Cannot mix different breathings: a with rough smooth "
                 "[mixed-breathings]\n",
                 ""},
           case_{"clean.txt - price.txt", "$o(ti$", 1,
                 "<stdin>:1:3: warning: \"o(\" looks like Beta Code: grapho takes the marks before "
                 "their letter, \"<\" and \">\" for the breathings: \"<o\" [beta-code]\n" +
                     price,
                 ""},
           case_{"--disable=dollar-after-digit --disable open-run,beta-code price.txt -", "$o(ti$",
                 0, "", ""},
           case_{"--disable=open-run --enable=open-run price.txt", "", 1, price, ""},
           case_{"accents.txt", "", 1, "accents.txt:1:11" + acute_before_word, ""},
           case_{"--text homer.md page.html verse.xml plain.txt clean.html", "", 1,
                 "homer.md:3:12" + acute_before_word +
                     "page.html:2:4: warning: No accent on a word that is neither proclitic nor "
                     "enclitic: an accent is expected [missing-accent]\n"
                     "verse.xml:2:16: warning: Grave before punctuation: an acute is expected on a "
                     "last syllable before a stop [grave-before-stop]\n"
                     "plain.txt:1:1: warning: " +
                     too_far + " [accent-too-far]\n",
                 ""},
           case_{"--text clean.html empty.txt", "", 0, "", ""},
           case_{"--text --format=json plain.txt clean.html", "", 1,
                 "[\n{\"file\": \"plain.txt\", \"line\": 1, \"column\": 1, \"severity\": "
                 "\"warning\", \"code\": \"accent-too-far\", \"message\": \"" +
                     too_far + "\", \"notes\": []}\n]\n",
                 ""},
           case_{"--text --disable=accent-too-far plain.txt -", "$ἀγαθὸς.$", 1,
                 "<stdin>:1:11: warning: Grave before punctuation: an acute is expected on a "
                 "last syllable before a stop [grave-before-stop]\n",
                 ""},
           // What cannot be read is told on standard error, and the rest checked.
           case_{"missing.txt price.txt", "", 2, price,
                 "Cannot open file missing.txt for reading\n"},
           case_{"folder price.txt", "", 2, price, "Cannot read file folder\n"},
           case_{"-- --help", "", 2, "", "Cannot open file --help for reading\n"},
           // A wrong option stops it before any file is read.
           case_{"price.txt --bogus", "", 2, "", "Unknown option --bogus\n"},
           case_{"--format=xml", "", 2, "", "Unknown format xml: text or json\n"},
           case_{"--enable=nope,open-run", "", 2, "", "No warning is named \"nope\"\n"},
           case_{"--disable=invalid-combination", "", 2, "",
                 "\"invalid-combination\" is an error: errors cannot be switched\n"},
           case_{"--disable", "", 2, "", "Option --disable needs a value\n"},
       }) {
    auto result = run(arguments, input);
    EXPECT_EQ(result.status, status) << arguments;
    EXPECT_EQ(result.output, output) << arguments;
    EXPECT_EQ(result.error, error) << arguments;
  }
}

TEST_F(Graphocheck, TellsItsUseAndVersion) {
  auto result = run("--help ode.txt");
  EXPECT_EQ(result.status, 0);
  EXPECT_TRUE(result.output.starts_with("Usage: graphocheck [OPTION]... [FILE]...\n"));
  for (const auto& kind : warning_kinds)
    EXPECT_NE(result.output.find("  " + std::string(kind.code) + ' '), std::string::npos)
        << kind.code;
  result = run("--version");
  EXPECT_EQ(result.status, 0);
  EXPECT_TRUE(result.output.starts_with("graphocheck (grapho) ")) << result.output;
  EXPECT_EQ(result.error, "");
}

#ifndef _WIN32
TEST_F(Graphocheck, ReportsFailedReadsAndWritesOfItsStreams) {
  auto result = run_redirected("", "<&-");
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.error, "Cannot read standard input\n");
  write_file(dir / "ode.txt", "$/\\a$");
  EXPECT_EQ(shell("'" GRAPHOCHECK_EXE "' ode.txt >/dev/full 2>stderr"), 2);
  EXPECT_EQ(read_file(dir / "stderr"), "Cannot write to standard output\n");
}

// ungrapho as a user runs it: the files named in order, or standard input, on
// standard output; a one-line message and status 1 at the first failure, after
// what was typed before it.
TEST_F(CommandLine, UngraphoTypesFilesInOrderOnStandardOutput) {
  write_file(dir / "a.html", "<p>&ldquo;&alpha;</p>\n");
  write_file(dir / "b.html", "&beta;&rdquo; 5$\n");
  fs::create_directory(dir / "folder");
  struct case_ {
    std::string command;
    int status;
    std::string output, error;
  };
  for (const auto& [command, status, output, error] : {
           case_{"a.html b.html </dev/null", 0, "<p>$\"a$</p>\n$b\"$ 5$$\n", ""},
           case_{"<b.html", 0, "$b$&rdquo; 5$$\n", ""},
           case_{"</dev/null", 0, "", ""},
           case_{"a.html missing.html b.html", 1, "<p>$\"a$</p>\n",
                 "Cannot open file missing.html for reading\n"},
           case_{"-- -", 1, "", "Cannot open file -- for reading\n"},
           case_{"b.html folder", 1, "$b$&rdquo; 5$$\n", "Cannot read file folder\n"},
           case_{"<&-", 1, "", "Cannot read standard input\n"},
       }) {
    int actual = shell("'" UNGRAPHO_EXE "' " + command + " >stdout 2>stderr");
    EXPECT_EQ(actual, status) << command;
    EXPECT_EQ(read_file(dir / "stdout"), output) << command;
    EXPECT_EQ(read_file(dir / "stderr"), error) << command;
  }
  EXPECT_EQ(shell("'" UNGRAPHO_EXE "' a.html >/dev/full 2>stderr"), 1);
  EXPECT_EQ(read_file(dir / "stderr"), "Cannot write to standard output\n");

  // An input that is standard output's own file would grow with its own
  // typing for ever (here, up to a limit on the size of files): refused,
  // after what was typed before it.
  struct self_case {
    std::string arguments, output, error;
  };
  for (const auto& [arguments, output, error] : {
           self_case{"a.html self.html", "<p>$\"a$</p>\n",
                     "Cannot read file self.html: it is standard output\n"},
           self_case{"<self.html", "", "Cannot read standard input: it is standard output\n"},
       }) {
    write_file(dir / "self.html", "&alpha;\n");
    EXPECT_EQ(shell("ulimit -f 1000 && '" UNGRAPHO_EXE "' " + arguments + " >>self.html 2>stderr"),
              1)
        << arguments;
    EXPECT_EQ(read_file(dir / "self.html"), "&alpha;\n" + output) << arguments;
    EXPECT_EQ(read_file(dir / "stderr"), error) << arguments;
  }
}

// What ungrapho types from the example page, grapho converts back into it.
TEST_F(CommandLine, UngraphoTypesWhatGraphoConvertsBack) {
  fs::copy_file(GRAPHO_EXAMPLES_DIR "/quotations.html", dir / "page.html");
  ASSERT_EQ(
      shell("'" UNGRAPHO_EXE "' page.html >typed.txt && GRAPHO typed.txt </dev/null 2>/dev/null"),
      0);
  EXPECT_EQ(read_file(dir / "typed.html"), read_file(dir / "page.html"));
}
#endif

}  // namespace
}  // namespace grapho
