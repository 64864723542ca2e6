// Records as rows: the same values in both formats, the forms of a file that change no data,
// code pages, duplicates, spreadsheet-safe cells and rows shown at a terminal.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "console/input_reader.h"
#include "export/export_run.h"

namespace survey::testing {
namespace {

// Every line without the blanks at its end, as an editor that trims them leaves it.
std::string trimmedLines(const std::string& text) {
  std::string out;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find('\n', at);
    std::string line = text.substr(at, end - at);
    line.erase(line.find_last_not_of(' ') + 1);
    out += line + "\n";
    at = end + 1;
  }
  return out;
}

TEST(ExportRows, CsvAndJsonLinesCarryTheSameValues) {
  FakeEnv env("");
  std::string file = recordOf(trickyAnswers());
  for (double age : {0.5, 1e7, -3.0}) {
    SurveyAnswers answers = trickyAnswers();
    answers.anotherYearAge = age;
    file += recordOf(answers, LocalTime{29, 1, 124, 0, 7});
  }
  env.memoryFiles().files["a \"b\",c\\.dat"] = file;
  ASSERT_EQ(runExport(env, {"a \"b\",c\\.dat"}), 0);
  const std::string csv = env.fakeOutput().text;
  env.fakeOutput().text.clear();
  ASSERT_EQ(runExport(env, {"--format=jsonl", "a \"b\",c\\.dat"}), 0);
  Table fromCsv = decodeCsv(csv);
  Table fromJson = decodeJsonLines(env.fakeOutput().text);
  ASSERT_EQ(fromCsv.size(), 4u);
  EXPECT_EQ(fromJson, fromCsv);
  // And they are what was typed.
  const SurveyAnswers typed = trickyAnswers();
  for (const TextAnswer& answer : kTextAnswers) {
    EXPECT_EQ(fromJson[0][std::string(answer.name)], typed.*answer.field) << answer.name;
  }
  EXPECT_EQ(fromJson[0]["file"], "a \"b\",c\\.dat");
  EXPECT_EQ(fromJson[3]["runDate"], "2024-02-29");
  EXPECT_EQ(fromJson[3]["runTime"], "00:07");
  EXPECT_EQ(fromJson[2]["anotherYearAge"], "1e+007");
}

// Every answer as long as the program keeps, full of bytes that JSON escapes: a row larger than
// the block that rows are written into, between two ordinary rows.
TEST(ExportRows, WritesRowsOfTheLongestAnswers) {
  SurveyAnswers longest = trickyAnswers();
  for (const TextAnswer& answer : kTextAnswers) {
    longest.*answer.field = std::string(InputReader::kWordLimit - 1, '"') + "Z";
  }
  FakeEnv env("");
  env.memoryFiles().files["datas.dat"] = recordNamed("Ada") + recordOf(longest) + recordNamed("Bo");
  for (const char* format : {"csv", "jsonl"}) {
    SCOPED_TRACE(format);
    env.fakeOutput().text.clear();
    ASSERT_EQ(runExport(env, {std::string("--format=") + format}), 0);
    Table table = format == std::string("csv") ? decodeCsv(env.fakeOutput().text)
                                               : decodeJsonLines(env.fakeOutput().text);
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table[0]["firstName"], "Ada");
    for (const TextAnswer& answer : kTextAnswers) {
      EXPECT_EQ(table[1][std::string(answer.name)], longest.*answer.field) << answer.name;
    }
    EXPECT_EQ(table[2]["firstName"], "Bo");
  }
}

TEST(ExportRows, AcceptsWhatChangesNoData) {
  const std::string file = recordNamed("One") + recordNamed("Two");
  const Exported plain = exportFiles({{"datas.dat", file}}, {});
  ASSERT_EQ(plain.status, 0);
  const std::string trimmed =
      " without the blanks that end them (as an editor trims them), read "
      "as written\n";
  const struct {
    std::string bytes, summary;
  } cases[] = {
      {"\xEF\xBB\xBF" + file, "; a UTF-8 byte-order mark at the start, passed over\n"},
      {trimmedLines(file), "; 10 lines" + trimmed},
      {withCrLf(trimmedLines(file)), "; 10 lines" + trimmed},
      {file.substr(0, file.size() - 1),
       "; no line end at the end of the file, read as if there were\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.summary);
    const Exported run = exportFiles({{"datas.dat", c.bytes}}, {});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, plain.out);
    EXPECT_EQ(run.err, "survey-export: datas.dat: 2 records exported" + c.summary);
  }
}

TEST(ExportRows, ReadsAnswersThatAreNotUtf8InTheCodePageNamed) {
  const struct {
    const char *encoding, *typed, *exported;
  } cases[] = {
      {"cp850", "Jos\x82", "José"},
      {"CP437",
       "\x9A"
       "ber",
       "Über"},
      {"cp1252", "Ren\xE9", "René"},
      {"windows-1252", "\x80uro", "€uro"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.encoding);
    const std::string file = recordNamed(c.typed) + recordNamed("Zoë");
    const Exported as = exportFiles({{"d.dat", file}}, {"--encoding", c.encoding, "d.dat"});
    EXPECT_EQ(as.status, 0);
    Table table = decodeCsv(as.out);
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0]["firstName"], c.exported);
    EXPECT_EQ(table[0]["nearbyBusiness"], "日本語");  // valid UTF-8 stays as it is
    EXPECT_EQ(table[1]["firstName"], "Zoë");
    EXPECT_EQ(as.err, std::string("survey-export: d.dat: 2 records exported; 1 record with "
                                  "answers read as ") +
                          c.encoding + "\n");

    const Exported without = exportFiles({{"d.dat", file}}, {"d.dat"});
    EXPECT_EQ(without.status, 1);
    EXPECT_EQ(decodeCsv(without.out).size(), 1u);
    EXPECT_NE(without.err.find("may be in a legacy code page: name it with --encoding"),
              std::string::npos);
  }
  const Exported unknown = exportFiles({}, {"--encoding=klingon"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.err.substr(0, unknown.err.find('\n')),
            "survey-export: unknown encoding 'klingon'");
}

// A file sent twice, and a record saved twice within a file.
TEST(ExportRows, CountsDuplicatesAndLeavesThemOutWithUnique) {
  const std::string a = recordNamed("Ada"), b = recordNamed("Bo");
  const std::vector<std::pair<std::string, std::string>> files = {{"n.dat", a + b},
                                                                  {"s.dat", b + a + a}};
  const struct {
    std::vector<std::string> args;
    size_t lines;  // the CSV header included
    const char* err;
  } cases[] = {
      {{"n.dat", "s.dat"},
       6,
       "survey-export: n.dat: 2 records exported\n"
       "survey-export: s.dat: 3 records exported (3 of them duplicates of earlier records)\n"},
      {{"--unique", "n.dat", "s.dat"},
       3,
       "survey-export: n.dat: 2 records exported\n"
       "survey-export: s.dat: 0 records exported, 3 duplicates of earlier records left out\n"},
      {{"--unique", "--format=jsonl", "n.dat", "n.dat"},
       2,
       "survey-export: n.dat: 2 records exported\n"
       "survey-export: n.dat: 0 records exported, 2 duplicates of earlier records left out\n"},
  };
  for (const auto& c : cases) {
    const Exported run = exportFiles(files, c.args);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), c.lines);
    EXPECT_EQ(run.err, c.err);
  }
}

TEST(ExportRows, SafeCellsQuoteWhatASpreadsheetTakesForAFormula) {
  const struct {
    const char *typed, *safe;
  } cases[] = {{"=SUM(A1)", "'=SUM(A1)"}, {"+1", "'+1"},    {"-1", "'-1"},
               {"@cmd", "'@cmd"},         {"a,=b", "a,=b"}, {"=x,\"y\"", "'=x,\"y\""}};
  for (const auto& c : cases) {
    const std::string file = recordNamed(c.typed);
    EXPECT_EQ(decodeCsv(exportFiles({{"datas.dat", file}}, {}).out).at(0)["firstName"], c.typed);
    EXPECT_EQ(
        decodeCsv(exportFiles({{"datas.dat", file}}, {"--safe-cells"}).out).at(0)["firstName"],
        c.safe);
  }
  EXPECT_EQ(exportFiles({}, {"--safe-cells", "--format=jsonl"}).status, 2);
}

// The guard is for text from outside: a file name or an answer, never the program's figures.
TEST(ExportRows, SafeCellsLeaveTheProgramsFiguresAlone) {
  SurveyAnswers answers = trickyAnswers();
  answers.firstName = "-3";
  answers.sameAge = 1;
  answers.anotherYearAge = -3;
  const Exported exported =
      exportFiles({{"-x.dat", recordOf(answers)}}, {"--safe-cells", "--", "-x.dat"});
  ASSERT_EQ(exported.status, 0) << exported.err;
  const auto row = decodeCsv(exported.out).at(0);
  const struct {
    const char *column, *shown;
  } cases[] = {{"file", "'-x.dat"},
               {"firstName", "'-3"},
               {"anotherYearAge", "-3"},
               {"sameAgePlusAnotherYearAge", "-2"}};
  for (const auto& c : cases) EXPECT_EQ(row.at(c.column), c.shown) << c.column;
}

// Rows go to a file or pipe as the record has them, and to a terminal safely shown, with
// their line ends.
TEST(ExportRows, RowsAtATerminalShowControlCharactersInCaretNotation) {
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
