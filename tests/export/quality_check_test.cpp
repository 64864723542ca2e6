// survey-export --check over whole files: findings located by file and line, across files, and
// its exit status.
#include "export/quality_check.h"

#include <gtest/gtest.h>

#include <array>

#include "export/csv_table.h"
#include "export/export_run.h"
#include "export/exporter.h"
#include "export/frequency_table.h"
#include "export/sample_records.h"
#include "support/same_text.h"

namespace survey::testing {
namespace {

constexpr char kHeader[] = "file,line,recordId,column,rule,value,detail\r\n";

// Answers that no rule finds fault with.
SurveyAnswers cleanAnswers() {
  SurveyAnswers answers = trickyAnswers();
  answers.sameAge = 36;
  return answers;
}

// survey-export --check on files given by name and content, named in that order.
Exported check(const std::vector<std::pair<std::string, std::string>>& files,
               std::vector<std::string> args = {}) {
  args.insert(args.begin(), "--check");
  for (const auto& file : files) args.push_back(file.first);
  return exportFiles(files, args);
}

// The recordId column of the row that begins at `line` of the export of `file`.
std::string idAt(const std::string& name, const std::string& file, const std::string& line) {
  FakeEnv env("");
  env.memoryFiles().files[name] = file;
  runExport(env, {name});
  for (auto& row : decodeCsv(env.fakeOutput().text)) {
    if (row["line"] == line) return row["recordId"];
  }
  ADD_FAILURE() << "no record at line " << line;
  return "";
}

TEST(QualityCheck, CleanRecordsGiveTheHeaderAloneAndStatusZero) {
  const Exported run = check({{"north.dat", recordOf(cleanAnswers())}});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, kHeader);
}

TEST(QualityCheck, LocatesEachPlantedProblemByFileAndLine) {
  const LocalTime monday{7, 11, 126, 9, 0}, tuesday{8, 11, 126, 9, 0}, wrongClock{8, 0, 119, 9, 0};
  SurveyAnswers shifted = cleanAnswers();
  shifted.placeOfBirth = "Port";
  shifted.dateOfBirth = "Harcourt";
  const std::string north = recordOf(cleanAnswers(), monday) + recordOf(cleanAnswers(), tuesday) +
                            recordOf(shifted, wrongClock);
  // South starts before north's last run date: run dates compare within a file only.
  SurveyAnswers alsoShifted = shifted;
  alsoShifted.placeOfBirth = "Ile";
  alsoShifted.dateOfBirth = "Ife";
  const std::string south = recordOf(alsoShifted, monday) + recordOf(cleanAnswers(), monday);
  const std::string firstId = idAt("north.dat", north, "1");
  const std::string secondId = idAt("north.dat", north, "36");
  const std::string thirdId = idAt("north.dat", north, "71");
  const std::string shiftedId = idAt("south.dat", south, "1");

  const Exported run = check({{"north.dat", north}, {"south.dat", south}});
  EXPECT_EQ(run.status, 1);
  EXPECT_SAME_TEXT(
      run.out, std::string(kHeader) + "north.dat,36," + secondId + ",recordId,retyped," + secondId +
                   ",\"the same answers as north.dat line 1, of another run\"\r\n"
                   "north.dat,71," +
                   thirdId +
                   ",dateOfBirth,shifted,Harcourt,"
                   "\"a word where a date belongs: the rest of placeOfBirth \"\"Port\"\"?\"\r\n"
                   "north.dat,71," +
                   thirdId +
                   ",runDate,run-date,2019-01-08,"
                   "more than a day before 2026-12-08 of north.dat line 36\r\n"
                   "south.dat,1," +
                   shiftedId +
                   ",dateOfBirth,shifted,Ife,"
                   "\"a word where a date belongs: the rest of placeOfBirth \"\"Ile\"\"?\"\r\n"
                   "south.dat,36," +
                   firstId + ",recordId,duplicate," + firstId +
                   ",the same record as north.dat line 1\r\n");
  // The summary on standard error tells what was checked and found, file by file.
  EXPECT_SAME_TEXT(run.err,
                   "survey-export: north.dat: 3 records checked, 3 findings\n"
                   "survey-export: south.dat: 2 records checked, 2 findings\n");
}

TEST(QualityCheck, TellsTheSameRecordAgainFromTheSameAnswersOfAnotherRun) {
  // One set of answers saved in runs that start on different days, in the order given: each
  // record is a duplicate of the first of its run, or else retyped from the first of all.
  const LocalTime monday{7, 11, 126, 9, 0}, tuesday{8, 11, 126, 9, 0}, wednesday{9, 11, 126, 9, 0};
  const struct {
    const char* what;
    std::vector<LocalTime> runs;
    std::vector<std::string> expected;  // line rule detail, for each finding
  } cases[] = {
      {"one run",
       {monday, monday, monday},
       {"36 duplicate the same record as north.dat line 1",
        "71 duplicate the same record as north.dat line 1"}},
      {"the second run twice",
       {monday, tuesday, tuesday},
       {"36 retyped the same answers as north.dat line 1, of another run",
        "71 duplicate the same record as north.dat line 36"}},
      {"back to the first run",
       {monday, tuesday, monday},
       {"36 retyped the same answers as north.dat line 1, of another run",
        "71 duplicate the same record as north.dat line 1"}},
      {"three runs, the last two again",
       {monday, tuesday, wednesday, wednesday, tuesday},
       {"36 retyped the same answers as north.dat line 1, of another run",
        "71 retyped the same answers as north.dat line 1, of another run",
        "106 duplicate the same record as north.dat line 71",
        "141 duplicate the same record as north.dat line 36"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string north;
    for (const LocalTime& run : c.runs) north += recordOf(cleanAnswers(), run);
    // The modification day is unknown, and run dates go back at most a day: only these rules.
    const Exported run = check({{"north.dat", north}});
    std::vector<std::string> found;
    for (auto& row : decodeCsv(run.out)) {
      found.push_back(row["line"] + " " + row["rule"] + " " + row["detail"]);
    }
    EXPECT_EQ(found, c.expected) << run.out;
  }
}

// The report hands the check the hashes of the answers it counted; records hashed either way
// must still be told apart and alike: a form typed twice, the same record twice.
TEST(QualityCheck, AnswerHashesFromTheCallerMatchItsOwn) {
  constexpr size_t kFirst = 5, kAll = kColumnCount - kFirst;
  const struct {
    size_t firstGiven, secondGiven;
    bool sameRun;
    const char* expected;
  } cases[] = {
      {0, 0, false, "retyped"},     {0, kAll, false, "retyped"},    {21, 0, false, "retyped"},
      {21, 3, false, "retyped"},    {kAll, kAll, false, "retyped"}, {0, 21, true, "duplicate"},
      {kAll, 0, true, "duplicate"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.firstGiven) + " " + std::to_string(c.secondGiven));
    std::array<std::array<std::string, kColumnCount>, 2> texts;
    std::array<RecordRow, 2> rows;
    std::array<std::array<uint64_t, kAll>, 2> hashes{};
    for (size_t at = 0; at < 2; ++at) {
      for (size_t column = 0; column < kColumnCount; ++column) {
        texts[at][column] = "NA";
      }
      texts[at][kLineColumn] = at == 0 ? "1" : "40";
      texts[at][kRunDateColumn] = at == 1 && !c.sameRun ? "2026-12-09" : "2026-12-08";
      texts[at][kRunTimeColumn] = "09:00";
      texts[at][10] = "1990-01-02";  // dateOfBirth
      texts[at][7] = "Ada";          // firstName
      texts[at][kColumnCount - 1] = "41";
      for (size_t column = 0; column < kColumnCount; ++column) {
        rows[at].fields[column] = texts[at][column];
      }
      for (size_t answer = 0; answer < kAll; ++answer) {
        hashes[at][answer] = FrequencyTable::hashOf(texts[at][kFirst + answer]);
      }
    }
    QualityCheck check;
    check.beginFile("north.dat");
    EXPECT_TRUE(check.check(rows[0], nullptr, hashes[0].data(), c.firstGiven).empty());
    std::vector<std::string> rules;
    for (const Finding& found : check.check(rows[1], nullptr, hashes[1].data(), c.secondGiven)) {
      rules.emplace_back(found.rule);
    }
    EXPECT_EQ(rules, std::vector<std::string>{c.expected});
  }
}

TEST(QualityCheck, RunDatesAfterTheFileLastChangedAreFound) {
  FakeEnv env("");
  SurveyAnswers other = cleanAnswers();
  other.firstName = "Bola";
  env.memoryFiles().files["north.dat"] = recordOf(cleanAnswers()) + recordOf(other);
  env.memoryFiles().modified["north.dat"] = LocalTime{5, 11, 126, 23, 59};  // 2026-12-05
  EXPECT_EQ(runExport(env, {"--check", "north.dat"}), 1);
  const Table rows = decodeCsv(env.fakeOutput().text);
  ASSERT_EQ(rows.size(), 2u) << env.fakeOutput().text;
  for (size_t row = 0; row < rows.size(); ++row) {
    SCOPED_TRACE(row);
    EXPECT_EQ(rows[row].at("line"), row == 0 ? "1" : "36");
    EXPECT_EQ(rows[row].at("rule"), "run-date");
    EXPECT_EQ(rows[row].at("detail"),
              "more than a day after the file was last changed (2026-12-05)");
  }
}

TEST(QualityCheck, RefusesOptionsThatDoNotApply) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--format", "jsonl"}, {"--unique"}, {"--codebook"}}) {
    SCOPED_TRACE(args[0]);
    const Exported run = check({{"north.dat", recordOf(cleanAnswers())}}, args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("--check"), std::string::npos) << run.err;
  }
}

}  // namespace
}  // namespace survey::testing
