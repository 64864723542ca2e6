// The bound on records per byte that sizes survey-export's table of identities: no file the
// reader takes holds more records than it says, and for the shortest records it is close.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "export/read_whole.h"
#include "export/sample_records.h"
#include "reader/record_reader.h"

namespace survey::testing {
namespace {

// Every answer one character, and every figure (sums, products, fractions) 0.
SurveyAnswers shortestAnswers() {
  SurveyAnswers answers;
  for (const TextAnswer& text : kTextAnswers) answers.*text.field = "x";
  answers.sameAge = 0;
  answers.anotherYearAge = 0;
  return answers;
}

// The record with the blanks before each line end removed, as an editor may leave it.
std::string trimmed(const std::string& record) {
  std::string out;
  for (char c : record) {
    if (c == '\n') {
      while (!out.empty() && (out.back() == ' ' || out.back() == '\t')) out.pop_back();
    }
    out += c;
  }
  return out;
}

TEST(RecordCapacity, NoFileHoldsMoreRecordsThanItsSizeAllows) {
  const std::string shortest = recordOf(shortestAnswers());
  const struct {
    const char* name;
    std::string record;
    bool tight;  // the bound may not be more than twice the records
  } kCases[] = {
      {"the shortest record, trimmed", trimmed(shortest), true},
      {"the shortest record", shortest, true},
      {"a record of tricky answers", recordOf(trickyAnswers()), false},
  };
  for (const auto& named : kCases) {
    for (uint64_t copies : {uint64_t{1}, uint64_t{3}, uint64_t{1000}}) {
      std::string file;
      for (uint64_t i = 0; i < copies; ++i) file += named.record;
      const ExportResult read = readWhole(file, "datas.dat");
      ASSERT_EQ(read.status, 0) << named.name << "\n" << read.reports;
      // Each row ends with CR LF.
      ASSERT_EQ(static_cast<uint64_t>(std::count(read.rows.begin(), read.rows.end(), '\n')), copies)
          << named.name;
      EXPECT_GE(RecordReader::mostRecordsIn(file.size()), copies) << named.name;
      if (named.tight) {
        EXPECT_LT(RecordReader::mostRecordsIn(file.size()), 2 * copies) << named.name;
      }
    }
  }
}

}  // namespace
}  // namespace survey::testing
