// The recordId column: one identity per record whatever the format, options and code page.
#include <gtest/gtest.h>

#include "export/csv_table.h"
#include "export/exporter.h"
#include "export/sample_records.h"

namespace survey::testing {
namespace {

// The recordId of each row that survey-export writes with `args` for a file d.dat of `bytes`.
std::vector<std::string> recordIds(const std::string& bytes, std::vector<std::string> args) {
  FakeEnv env("");
  env.memoryFiles().files["d.dat"] = bytes;
  args.emplace_back("d.dat");
  EXPECT_EQ(runExport(env, args), 0) << env.fakeErrors().text;
  const std::string& out = env.fakeOutput().text;
  std::vector<std::string> ids;
  if (args.front() != "--format=jsonl") {
    for (const auto& row : decodeCsv(out)) ids.push_back(row.at("recordId"));
    return ids;
  }
  static const std::string kKey = "\"recordId\":\"";
  for (size_t at = out.find(kKey); at != std::string::npos; at = out.find(kKey, at + 1)) {
    ids.push_back(out.substr(at + kKey.size(), 16));
  }
  return ids;
}

TEST(RecordIdentity, IsTheSameInEveryFormatAndWithSafeCells) {
  SurveyAnswers formula = trickyAnswers();
  formula.centerStreet = "-5";
  formula.zonalLibrary = "=1+1";
  const std::string file = recordOf(trickyAnswers()) + recordOf(formula);
  const std::vector<std::string> csv = recordIds(file, {"--format=csv"});
  ASSERT_EQ(csv.size(), 2u);
  EXPECT_NE(csv[0], csv[1]);
  EXPECT_EQ(csv[0].find_first_not_of("0123456789abcdef"), std::string::npos) << csv[0];
  EXPECT_EQ(csv[0].size(), 16u);
  EXPECT_EQ(recordIds(file, {"--format=jsonl"}), csv);
  EXPECT_EQ(recordIds(file, {"--safe-cells"}), csv);
}

// An answer read in a code page has the identity of the same answer typed in UTF-8.
TEST(RecordIdentity, IsTakenOverTheAnswersAsConvertedToUtf8) {
  SurveyAnswers legacy = trickyAnswers(), typed = trickyAnswers();
  legacy.firstName = "Jos\x82";  // é in cp850
  typed.firstName = "José";
  const std::vector<std::string> converted =
      recordIds(recordOf(legacy), {"--format=csv", "--encoding=cp850"});
  ASSERT_EQ(converted.size(), 1u);
  EXPECT_EQ(converted, recordIds(recordOf(typed), {"--format=csv"}));
}

}  // namespace
}  // namespace survey::testing
