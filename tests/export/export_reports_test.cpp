// What survey-export tells on standard error: skipped records and lines, folded once a kind
// repeats, control characters shown safely; and the fingerprints that find duplicates.
#include "export/export_reports.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "export/export_run.h"

namespace survey::testing {
namespace {

TEST(ExportReports, ReportsSkippedRecordsAndEndsWithOne) {
  FakeEnv env("");
  const std::string good = recordNamed("Ada");
  env.memoryFiles().files["datas.dat"] = good + good.substr(0, 500);
  EXPECT_EQ(runExport(env, {}), 1);
  EXPECT_EQ(decodeCsv(env.fakeOutput().text).size(), 1u);
  EXPECT_EQ(env.fakeErrors().text,
            "survey-export: datas.dat:36-43: record skipped: line 43 (record line 8) has no line "
            "end (the file ends inside it)\n"
            "survey-export: datas.dat: 1 record exported, 1 skipped\n");
}

TEST(ExportReports, FoldsReportsOfAKindBeyondTheFirstFew) {
  std::string file;
  for (int i = 0; i < 13; ++i) {
    std::string bad = recordNamed("Bad");
    bad.replace(bad.find("Candidate Name"), 9, "Kandidate");
    file += bad + recordNamed("N" + std::to_string(i)) + "junk\n";
  }
  const Exported run = exportFiles({{"d.dat", file}}, {"d.dat"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 2 * 10 + 2 + 1);
  EXPECT_NE(run.err.find("survey-export: d.dat: 3 more records skipped where a line does not "
                         "match the layout (not shown)\n"
                         "survey-export: d.dat: 3 more stretches of lines skipped as not part of "
                         "a record (not shown)\n"
                         "survey-export: d.dat: 13 records exported, 13 skipped, 13 lines outside "
                         "any record skipped\n"),
            std::string::npos);
}

// Escape sequences in file names, answers or arguments must not reach a terminal as such.
TEST(ExportReports, ReportsShowControlCharactersInCaretNotation) {
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

}  // namespace
}  // namespace survey::testing
