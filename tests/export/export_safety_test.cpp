// What survey-export does with inputs that fail or wait, code pages it cannot use, and control
// characters on their way to a terminal.
#include <gtest/gtest.h>

#include "export/csv_table.h"
#include "export/exporter.h"
#include "export/sample_records.h"

namespace survey::testing {
namespace {

TEST(ExportSafety, AFailedReadOfStandardInputEndsWithTwoAndTheReason) {
  const std::string record = recordOf(trickyAnswers());
  const struct {
    std::string error;  // empty: the input ends
    int status;
    std::string reports;
  } cases[] = {
      {"", 0, "survey-export: (standard input): 1 record exported\n"},
      {"Is a directory", 2,
       "survey-export: (standard input): Is a directory\n"
       "survey-export: (standard input): 1 record exported; the read stopped at an error\n"},
      {"Input/output error", 2,
       "survey-export: (standard input): Input/output error\n"
       "survey-export: (standard input): 1 record exported; the read stopped at an error\n"},
  };
  for (const auto& c : cases) {
    FakeEnv env(record);
    if (!c.error.empty()) env.fakeInput().endError = Status::error(c.error);
    EXPECT_EQ(runExport(env, {"-"}), c.status) << c.error;
    EXPECT_EQ(env.fakeErrors().text, c.reports);
    EXPECT_EQ(decodeCsv(env.fakeOutput().text).size(), 1u) << c.error;
  }
}

// A program that holds the bytes lock (a save changing the file) makes the export wait: the wait
// is announced after the first second, and it ends when the lock is let go or at the limit.
TEST(ExportSafety, AnnouncesAWaitForAWriterOfTheFile) {
  const std::string busy =
      "survey-export: d.dat is busy (another program holds its lock); waiting for it\n";
  for (bool letGo : {true, false}) {
    FakeEnv env("");
    MemoryFileSystem& files = env.memoryFiles();
    files.files["d.dat"] = recordOf(trickyAnswers());
    files.lockedElsewhere.insert("d.dat");
    int locks = 0;
    files.beforeStep = [&](const char* step, const std::string&) {
      if (letGo && std::string(step) == "lock" && ++locks == 2) files.lockedElsewhere.clear();
    };
    EXPECT_EQ(runExport(env, {"d.dat"}), letGo ? 0 : 2);
    EXPECT_EQ(env.fakeErrors().text,
              letGo ? busy + "survey-export: d.dat: 1 record exported\n"
                    : busy + "survey-export: d.dat: another program holds its lock\n");
  }
}

// Record files are ASCII with answers in one single-byte code page: a code page that reads
// ASCII bytes as other characters would make the fixed texts, quotes and commas something
// else, so it is refused before any output.
TEST(ExportSafety, RefusesCodePagesThatDoNotReadAsciiAsAscii) {
  const std::string file = recordOf(trickyAnswers());
  for (const char* name : {"IBM037", "UTF-16LE", "UTF-16", "UTF-32", "UTF-7", "cp864"}) {
    const std::string encoding = name;
    FakeEnv env("");
    env.memoryFiles().files["d.dat"] = file;
    EXPECT_EQ(runExport(env, {"--encoding", encoding, "d.dat"}), 2) << encoding;
    EXPECT_EQ(env.fakeOutput().text, "") << encoding;
    const std::string& errors = env.fakeErrors().text;
    EXPECT_EQ(errors.substr(0, errors.find('\n')),
              "survey-export: unknown encoding '" + encoding + "'");
  }
}

// Escape sequences in file names, answers or arguments must not reach a terminal as such.
TEST(ExportSafety, ReportsShowControlCharactersInCaretNotation) {
  const std::string title =
      "t\x1b]0;owned\x07\xc2\x9b"
      "2J.dat";
  const std::string shown = "t^[]0;owned^G<U+009B>2J.dat";
  const struct {
    std::vector<std::string> args;
    std::string reports;
  } cases[] = {
      {{title}, "survey-export: " + shown + ": No such file or directory\n"},
      {{"--format", "x\x1b[2J"},
       "survey-export: invalid format 'x^[[2J' (csv, jsonl, sqlite, dta or sav)\n"
       "Try 'survey-export --help' for more information.\n"},
      {{"a\nb.dat"}, "survey-export: a^Jb.dat: No such file or directory\n"},
  };
  for (const auto& c : cases) {
    FakeEnv env("");
    runExport(env, c.args);
    EXPECT_EQ(env.fakeErrors().text, c.reports);
  }
  FakeEnv env("");
  env.memoryFiles().files[title] = "junk\n";
  EXPECT_EQ(runExport(env, {title}), 1);
  EXPECT_EQ(env.fakeErrors().text, "survey-export: " + shown +
                                       ":1: line skipped: not part of a record\n"
                                       "survey-export: " +
                                       shown +
                                       ": 0 records exported, 1 line outside any record skipped\n");
}

// Rows go to a file or pipe as the record has them, and to a terminal safely shown, with
// their line ends.
TEST(ExportSafety, RowsAtATerminalShowControlCharactersInCaretNotation) {
  SurveyAnswers answers = trickyAnswers();
  answers.touristPlace = "Obu\xc2\x9b[2J";
  const struct {
    const char* format;
    bool terminal;
    std::string expected, ending;
  } cases[] = {
      {"csv", false, ",Obu\xc2\x9b[2J,Esc\x1b[1m,", "\r\n"},
      {"csv", true, ",Obu<U+009B>[2J,Esc^[[1m,", "\r\n"},
      {"jsonl", false, "\"Obu\xc2\x9b[2J\",\"tribalLanguage\":\"Esc\\u001b[1m\"", "}\n"},
      {"jsonl", true, "\"Obu<U+009B>[2J\",\"tribalLanguage\":\"Esc\\u001b[1m\"", "}\n"},
  };
  for (const auto& c : cases) {
    FakeEnv env("");
    env.memoryFiles().files["d.dat"] = recordOf(answers);
    env.fakeTerminal().isTerminal = c.terminal;
    EXPECT_EQ(runExport(env, {"--format", c.format, "d.dat"}), 0);
    const std::string& text = env.fakeOutput().text;
    EXPECT_NE(text.find(c.expected), std::string::npos) << c.format << c.terminal << text;
    EXPECT_EQ(text.substr(text.size() - c.ending.size()), c.ending) << c.format << c.terminal;
  }
}

}  // namespace
}  // namespace survey::testing
