// What survey-export accepts, converts, counts and folds, its codebook and its documentation.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "export/csv_table.h"
#include "export/export_reports.h"
#include "export/exporter.h"
#include "export/sample_records.h"

namespace survey::testing {
namespace {

struct Exported {
  int status;
  std::string out, err;
};

// The tool run on files given by name and content.
Exported exportFiles(const std::vector<std::pair<std::string, std::string>>& files,
                     const std::vector<std::string>& args) {
  FakeEnv env("");
  for (const auto& [name, content] : files) env.memoryFiles().files[name] = content;
  int status = runExport(env, args);
  return {status, env.fakeOutput().text, env.fakeErrors().text};
}

std::string recordNamed(const std::string& name) {
  SurveyAnswers answers = trickyAnswers();
  answers.firstName = name;
  return recordOf(answers);
}

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

TEST(ExportFeatures, AcceptsWhatChangesNoData) {
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

TEST(ExportFeatures, ReadsAnswersThatAreNotUtf8InTheCodePageNamed) {
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
TEST(ExportFeatures, CountsDuplicatesAndLeavesThemOutWithUnique) {
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

TEST(ExportFeatures, FoldsReportsOfAKindBeyondTheFirstFew) {
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

TEST(ExportFeatures, WritesACodebookOfEveryColumn) {
  const Exported csv = exportFiles({}, {"--codebook"});
  EXPECT_EQ(csv.status, 0);
  const Table table = decodeCsv(csv.out);
  ASSERT_EQ(table.size(), kColumnCount);
  const std::map<std::string, std::vector<std::string>> known = {
      {"firstName", {"1", "Enter Your Firstname", "8", "text as typed"}},
      {"anotherYearAge", {"7", "Enter A Calculated Age For Another Year", "17, 27, 28"}},
      {"sameAgePlusAnotherYearAge",
       {"6, 7",
        "Enter The Same Age Again / Enter A Calculated Age "
        "For Another Year",
        "17"}},
      {"runDate", {"", "", "30", "run start time"}},
  };
  for (size_t column = 0; column < kColumnCount; ++column) {
    std::map<std::string, std::string> row = table[column];
    EXPECT_EQ(row["column"], kColumnNames[column]);
    EXPECT_FALSE(row["type"].empty()) << column;
    auto expected = known.find(row["column"]);
    if (expected == known.end()) continue;
    const char* const keys[] = {"prompt", "promptText", "recordLines", "type"};
    for (size_t i = 0; i < expected->second.size(); ++i) {
      EXPECT_EQ(row[keys[i]], expected->second[i]) << row["column"];
    }
  }
  const Exported jsonl = exportFiles({}, {"--codebook", "--format=jsonl"});
  EXPECT_EQ(std::count(jsonl.out.begin(), jsonl.out.end(), '\n'), kColumnCount);
  EXPECT_EQ(jsonl.out.rfind("{\"column\":\"file\",\"prompt\":\"\",", 0), 0u);
}

TEST(ExportFeatures, SafeCellsQuoteWhatASpreadsheetTakesForAFormula) {
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
TEST(ExportFeatures, SafeCellsLeaveTheProgramsFiguresAlone) {
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

// The header comes with the first file that opens: none when no file does.
TEST(ExportFeatures, WritesNoHeaderWhenNoFileOpens) {
  const Exported missing = exportFiles({}, {"missing.dat"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.out, "");
  const Exported then =
      exportFiles({{"good.dat", recordNamed("Ada")}}, {"missing.dat", "good.dat"});
  EXPECT_EQ(then.status, 2);
  EXPECT_EQ(decodeCsv(then.out).size(), 1u);
}

// The columns as the README, the manual page and --help name them: each of kColumnNames, in
// order, within the part that lists them.
TEST(ExportFeatures, DocumentationNamesTheColumnsInOrder) {
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
