// What lies between records: the byte-order marks of files joined end to end, blank lines.
#include <gtest/gtest.h>

#include <algorithm>

#include "export/read_whole.h"
#include "export/sample_records.h"

namespace survey::testing {
namespace {

// Each case read whole and in small pieces through small blocks, so that a mark or a blank
// line is cut anywhere.
TEST(BetweenRecords, JoinedFilesAndBlankLinesAtTheEndAreNoFault) {
  const std::string one = recordNamed("One"), two = recordNamed("Two");
  const std::string mark = "\xEF\xBB\xBF";
  size_t twentyLines = 0;
  for (int line = 0; line < 20; ++line) twentyLines = one.find('\n', twentyLines) + 1;
  const std::string halfOfOne = one.substr(0, twentyLines);
  const std::string joined =
      " before a record past the start (files joined end to end), passed over\n";
  const std::string summary = "survey-export: datas.dat: ";
  const struct {
    std::string bytes;
    int status;
    std::string reports;
  } cases[] = {
      {one + mark + two, 0, summary + "2 records exported; 1 UTF-8 byte-order mark" + joined},
      {mark + one + mark + two + mark + one, 0,
       summary +
           "3 records exported (1 of them duplicates of earlier records); a UTF-8 "
           "byte-order mark at the start, passed over; 2 UTF-8 byte-order marks" +
           joined},
      {one + "\n", 0,
       summary + "1 record exported; 1 blank line after the last record, passed over\n"},
      {withCrLf(one) + "\r\n \t\r\n  ", 0,
       summary + "1 record exported; 3 blank lines after the last record, passed over\n"},
      // Blank lines before another record, or before other lines, are still outside any record.
      {one + "\n" + two, 1,
       "survey-export: datas.dat:36: line skipped: not part of a record\n" + summary +
           "2 records exported, 1 line outside any record skipped\n"},
      {one + "\n \njunk\n\n", 1,
       "survey-export: datas.dat:36-39: lines skipped: not part of a record\n" + summary +
           "1 record exported, 4 lines outside any record skipped\n"},
      {one + mark + "junk\n", 1,
       "survey-export: datas.dat:36: line skipped: not part of a record\n" + summary +
           "1 record exported, 1 line outside any record skipped\n"},
      {halfOfOne + mark + two, 1,
       "survey-export: datas.dat:1-20: record skipped: cut short after 20 of 35 lines by a new "
       "record at line 21\n" +
           summary + "1 record exported, 1 skipped; 1 UTF-8 byte-order mark" + joined},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reports);
    const ExportResult whole = readWhole(c.bytes, "datas.dat");
    EXPECT_EQ(whole.reports, c.reports);
    EXPECT_EQ(whole.status, c.status);
    for (size_t block : {size_t{1}, size_t{2}, size_t{300}}) {
      const ExportResult pieces = readInPieces(c.bytes, "datas.dat", 7, block);
      EXPECT_EQ(pieces.rows, whole.rows) << block;
      EXPECT_EQ(pieces.reports, whole.reports) << block;
    }
  }
}

}  // namespace
}  // namespace survey::testing
