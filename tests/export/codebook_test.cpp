// The codebook: a row for every column, with its prompt, record lines and type.
#include "export/codebook.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "export/export_run.h"
#include "reader/record_row.h"

namespace survey::testing {
namespace {

TEST(Codebook, WritesACodebookOfEveryColumn) {
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

// A statistics file's label: the prompt, else what the column holds up to its first ';', else
// the column's name.
TEST(Codebook, LabelsEachColumnByItsPromptOrItsNote) {
  const struct {
    size_t column;
    std::string label;
  } cases[] = {
      {kFileColumn, "the file as named on the command line, or (standard input) for -"},
      {kRunDateColumn,
       "the date the program run that saved the record started, YYYY-MM-DD in local time with no "
       "zone"},
      {7, "Enter Your Firstname"},
      {kColumnCount - 1, "Enter The Same Age Again / Enter A Calculated Age For Another Year"},
  };
  for (const auto& c : cases) EXPECT_EQ(columnLabel(c.column), c.label) << c.column;
}

}  // namespace
}  // namespace survey::testing
