// The whole tool in-process: arguments, files in turn, standard input, files that cannot be
// read or are busy, code pages it cannot use, its output, its help and documentation.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "export/export_run.h"
#include "reader/record_row.h"

namespace survey::testing {
namespace {

TEST(Exporter, ReadsSeveralFilesInTurn) {
  FakeEnv env("");
  env.memoryFiles().files["north/datas.dat"] = recordNamed("Ada") + recordNamed("Bo");
  env.memoryFiles().files["south,east.dat"] = withCrLf(recordNamed("Cy"));
  env.memoryFiles().readChunk = 1000;
  EXPECT_EQ(runExport(env, {"north/datas.dat", "south,east.dat"}), 0);
  EXPECT_EQ(env.fakeErrors().text,
            "survey-export: north/datas.dat: 2 records exported\n"
            "survey-export: south,east.dat: 1 record exported\n");
  Table table = decodeCsv(env.fakeOutput().text);
  ASSERT_EQ(table.size(), 3u);
  const char* const expected[][3] = {{"north/datas.dat", "1", "Ada"},
                                     {"north/datas.dat", "36", "Bo"},
                                     {"south,east.dat", "1", "Cy"}};
  for (size_t row = 0; row < 3; ++row) {
    EXPECT_EQ(table[row]["file"], expected[row][0]);
    EXPECT_EQ(table[row]["line"], expected[row][1]);
    EXPECT_EQ(table[row]["firstName"], expected[row][2]);
  }
}

TEST(Exporter, ReadsStandardInputForADash) {
  FakeEnv env(recordNamed("Ada"));
  env.memoryFiles().files["-x"] = recordNamed("Bo");
  EXPECT_EQ(runExport(env, {"--format", "jsonl", "-", "--", "-x"}), 0);
  Table table = decodeJsonLines(env.fakeOutput().text);
  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(table[0]["file"], "(standard input)");
  EXPECT_EQ(table[0]["firstName"], "Ada");
  EXPECT_EQ(table[1]["file"], "-x");
}

TEST(Exporter, AFailedReadOfStandardInputEndsWithTwoAndTheReason) {
  const std::string record = recordOf(trickyAnswers());
  const struct {
    std::string error;  // empty: the input ends
    int status;
    std::string reports;
  } cases[] = {
      {"", 0, "survey-export: (standard input): 1 record exported\n"},
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

TEST(Exporter, NamesAFileThatCannotBeReadAndGoesOnWithTheRest) {
  FakeEnv env("");
  env.memoryFiles().files["good.dat"] = recordNamed("Ada");
  env.memoryFiles().files["short.dat"] = "junk\n";
  env.memoryFiles().directories.insert("folder");
  EXPECT_EQ(runExport(env, {"missing.dat", "short.dat", "folder", "good.dat"}), 2);
  EXPECT_EQ(env.fakeErrors().text,
            "survey-export: missing.dat: No such file or directory\n"
            "survey-export: short.dat:1: line skipped: not part of a record\n"
            "survey-export: folder: Is a directory\n"
            "survey-export: short.dat: 0 records exported, 1 line outside any record skipped\n"
            "survey-export: good.dat: 1 record exported\n");
  Table table = decodeCsv(env.fakeOutput().text);
  ASSERT_EQ(table.size(), 1u);
  EXPECT_EQ(table[0]["file"], "good.dat");
}

TEST(Exporter, NamesAFileWhoseReadFailsWithoutCallingItsRecordCutShort) {
  const std::string record = recordNamed("Ada");
  FakeEnv env("");
  MemoryFileSystem& files = env.memoryFiles();
  files.files["a.dat"] = files.files["b.dat"] = record + record;
  // Each file's reads give 100 bytes at a time and fail past the first record.
  files.readChunk = 100;
  std::map<std::string, size_t> reads;
  files.failWhen = [&](const char* step, const std::string& path) {
    return std::string_view(step) == "readAt" && ++reads[path] > (record.size() + 500) / 100;
  };
  EXPECT_EQ(runExport(env, {"a.dat", "b.dat"}), 2);
  EXPECT_EQ(env.fakeErrors().text,
            "survey-export: a.dat: Input/output error\n"
            "survey-export: b.dat: Input/output error\n"
            "survey-export: a.dat: 1 record exported; the read stopped at an error\n"
            "survey-export: b.dat: 1 record exported (1 of them duplicates of earlier records); "
            "the read stopped at an error\n");
  Table table = decodeCsv(env.fakeOutput().text);
  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(table[0]["file"], "a.dat");
  EXPECT_EQ(table[1]["file"], "b.dat");
}

// A program that holds the bytes lock (a save changing the file) makes the export wait: the wait
// is announced after the first second, and it ends when the lock is let go or at the limit.
TEST(Exporter, AnnouncesAWaitForAWriterOfTheFile) {
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
TEST(Exporter, RefusesCodePagesThatDoNotReadAsciiAsAscii) {
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

// The header comes with the first file that opens: none when no file does.
TEST(Exporter, WritesNoHeaderWhenNoFileOpens) {
  const Exported missing = exportFiles({}, {"missing.dat"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.out, "");
  const Exported then =
      exportFiles({{"good.dat", recordNamed("Ada")}}, {"missing.dat", "good.dat"});
  EXPECT_EQ(then.status, 2);
  EXPECT_EQ(decodeCsv(then.out).size(), 1u);
}

TEST(Exporter, WritesInLargeBlocksAndReportsAFailedOutput) {
  FakeEnv env("");
  std::string file;
  for (int i = 0; i < 5000; ++i) file += recordOf(answersOf("N" + std::to_string(i)));
  env.memoryFiles().files["datas.dat"] = file;
  EXPECT_EQ(runExport(env, {}), 0);
  EXPECT_EQ(decodeCsv(env.fakeOutput().text).size(), 5000u);
  // Every write but the last carries at least 64 KiB.
  EXPECT_LE(env.fakeOutput().writes, env.fakeOutput().text.size() / (64 * 1024) + 1);

  FakeEnv full("");
  full.memoryFiles().files["datas.dat"] = file;
  full.fakeOutput().failAfter = 0;
  EXPECT_EQ(runExport(full, {}), 2);
  EXPECT_EQ(full.fakeErrors().text, "survey-export: standard output: No space left on device\n");
  EXPECT_EQ(full.fakeOutput().writes, 1);
}

TEST(Exporter, AnswersHelpAndRefusesWrongArguments) {
  FakeEnv help("");
  EXPECT_EQ(runExport(help, {"--help", "--bogus"}), 0);
  EXPECT_EQ(help.fakeOutput().text.rfind("Usage: survey-export [OPTION]... [FILE]...\n", 0), 0u);
  EXPECT_NE(help.fakeOutput().text.find("--format=FORMAT"), std::string::npos);

  const struct {
    std::vector<std::string> args;
    const char* error;
  } wrong[] = {
      {{"--bogus"}, "unrecognized option '--bogus'"},
      {{"-f", "csv"}, "unrecognized option '-f'"},
      {{"--format"}, "option '--format' requires an argument"},
      {{"--format=xml"}, "invalid format 'xml' (csv, jsonl, sqlite, dta or sav)"},
  };
  for (const auto& c : wrong) {
    FakeEnv env("");
    EXPECT_EQ(runExport(env, c.args), 2);
    EXPECT_EQ(env.fakeOutput().text, "");
    EXPECT_EQ(env.fakeErrors().text, std::string("survey-export: ") + c.error +
                                         "\nTry 'survey-export --help' for more information.\n");
  }
}

// The columns as the README, the manual page and --help name them: each of kColumnNames, in
// order, within the part that lists them.
TEST(Exporter, DocumentationNamesTheColumnsInOrder) {
  auto fileText = [](const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(std::string(SURVEY_SOURCE_DIR) + "/" + path).rdbuf();
    return text.str();
  };
  auto part = [](const std::string& text, const std::string& from, const std::string& to) {
    size_t start = text.find(from);
    EXPECT_NE(start, std::string::npos) << from;
    return start == std::string::npos ? "" : text.substr(start, text.find(to, start + 1) - start);
  };
  const std::string help = exportFiles({}, {"--help"}).out;
  const std::pair<const char*, std::string> docs[] = {
      {"README.md", part(fileText("README.md"), "## Exporting the records", "\n## ")},
      {"docs/survey-export.1.in", part(fileText("docs/survey-export.1.in"), ".SH OUTPUT", ".SH ")},
      {"--help", part(help, "Columns:", "\n\n")},
  };
  for (const auto& [where, text] : docs) {
    size_t at = 0;
    for (std::string_view name : kColumnNames) {
      size_t found = at;
      // A whole name: not the start of a longer one ("sameAge" in "sameAgePlus...").
      do {
        found = text.find(name, found + (found == at ? 0 : 1));
      } while (found != std::string::npos &&
               std::isalpha(static_cast<unsigned char>(text[found + name.size()])));
      ASSERT_NE(found, std::string::npos) << where << " does not name " << name << " in order";
      at = found + name.size();
    }
  }
}

}  // namespace
}  // namespace survey::testing
