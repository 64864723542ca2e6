// --faults: every fault of a run in a CSV file, past the cap of the reports.
#include <gtest/gtest.h>

#include "export/csv_table.h"
#include "export/exporter.h"
#include "export/sample_records.h"

namespace survey::testing {
namespace {

struct Outcome {
  int status;
  std::string err;
  MemoryFileSystem files;
};

Outcome exportWith(std::map<std::string, std::string> files, const std::vector<std::string>& args) {
  FakeEnv env("");
  env.memoryFiles().files = std::move(files);
  env.memoryFiles().directories.insert("folder");
  const int status = runExport(env, args);
  return {status, env.fakeErrors().text, env.memoryFiles()};
}

// Lines outside any record, then fourteen records whose label was changed: the reports show
// ten of the records, the list the stretch of lines and all fourteen.
TEST(FaultList, ListsEveryFaultThatTheReportsOnlyCount) {
  std::string broken = recordNamed("Bad");
  broken.replace(broken.find("Candidate Name"), 9, "Applicant");
  std::string file = recordNamed("Good") + "junk\nmore junk\n";
  for (int i = 0; i < 14; ++i) file += broken;
  const Outcome run =
      exportWith({{"d.dat", file}, {"f.csv", "left from before"}}, {"--faults", "f.csv", "d.dat"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("4 more records skipped where a line does not match the layout"),
            std::string::npos)
      << run.err;
  const Table listed = decodeCsv(run.files.files.at("f.csv"));
  ASSERT_EQ(listed.size(), 15u);
  EXPECT_EQ(listed[0].at("firstLine"), "36");
  EXPECT_EQ(listed[0].at("lastLine"), "37");
  EXPECT_EQ(listed[0].at("why"), "lines skipped: not part of a record");
  for (size_t i = 0; i < 14; ++i) {
    const Table::value_type& row = listed[i + 1];
    const std::string first = std::to_string(38 + 35 * i), last = std::to_string(72 + 35 * i);
    EXPECT_EQ(row.at("file"), "d.dat") << i;
    EXPECT_EQ(row.at("firstLine"), first) << i;
    EXPECT_EQ(row.at("lastLine"), last) << i;
    const std::string why = row.at("why");
    EXPECT_EQ(why.rfind("record skipped: line ", 0), 0u) << why;
    // What the reports show of the first ten, the list says alike.
    std::string report = "d.dat:";
    for (const std::string& part : {first, std::string("-"), last, std::string(": "), why}) {
      report += part;
    }
    report += '\n';
    const size_t reported = run.err.find(report);
    EXPECT_EQ(reported != std::string::npos, i < 10) << i;
  }
}

TEST(FaultList, AFileWithoutFaultsGivesTheHeaderAlone) {
  const Outcome run = exportWith({{"d.dat", recordNamed("Good")}}, {"--faults=f.csv", "d.dat"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.files.files.at("f.csv"), "file,firstLine,lastLine,why\r\n");
}

// A list that cannot be written stops the run before anything is read; a record file named
// as the list is never emptied.
TEST(FaultList, RefusesAListItCannotWriteOrThatWouldEmptyARecordFile) {
  const std::string records = recordNamed("Good");
  const struct {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{"--faults", "d.dat", "d.dat"}, "survey-export: the fault list 'd.dat' is a file to read\n"},
      {{"--faults", "datas.dat"}, "survey-export: the fault list 'datas.dat' is a file to read\n"},
      {{"--faults", "folder", "d.dat"}, "survey-export: folder: "},
      {{"d.dat", "--faults"}, "survey-export: option '--faults' requires an argument\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.err);
    const Outcome run = exportWith({{"d.dat", records}, {"datas.dat", records}}, c.args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.rfind(c.err, 0), 0u) << run.err;
    EXPECT_EQ(run.files.files.at("d.dat"), records);
    EXPECT_EQ(run.files.files.at("datas.dat"), records);
  }
}

}  // namespace
}  // namespace survey::testing
