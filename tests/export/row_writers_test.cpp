// The two output formats, byte for byte.
#include "export/row_writers.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "export/row_text.h"

namespace survey {
namespace {

// A row whose values are `values` in turn, then empty; the line number 12.
RecordRow rowOf(std::initializer_list<std::string_view> values) {
  RecordRow row;
  std::copy(values.begin(), values.end(), std::begin(row.fields));
  row.fields[kLineColumn] = "12";
  return row;
}

std::string emptyFieldsFrom(size_t column) { return std::string(kColumnCount - column - 1, ','); }

TEST(CsvWriter, WritesTheHeaderAndQuotesOnlyWhereNeeded) {
  std::string out;
  appendCsvHeader(&out);
  EXPECT_EQ(out.substr(0, 43), "file,line,recordId,runDate,runTime,entryDat");
  EXPECT_EQ(out.substr(out.size() - 28), ",sameAgePlusAnotherYearAge\r\n");
  EXPECT_EQ(std::count(out.begin(), out.end(), ','), static_cast<long>(kColumnCount - 1));

  out.clear();
  appendCsvRow(rowOf({"d.dat", "", "plain", "a,b", "say \"hi\"", "cr\rlf\n", "Zoë 日本", "\x1b"}),
               &out);
  EXPECT_EQ(out, "d.dat,12,plain,\"a,b\",\"say \"\"hi\"\"\",\"cr\rlf\n\",Zoë 日本,\x1b" +
                     emptyFieldsFrom(7) + "\r\n");
}

TEST(JsonLinesWriter, EscapesWhatJsonNeedsAndPassesUtf8) {
  std::string out;
  appendJsonLine(
      rowOf({"d\xFF.dat", "", "q\"b\\s/", "\t\n\r\b\f\x01\x1f\x7f", "Zoë 日本 \xF0\x9F\x98\x80"}),
      &out);
  std::string expected =
      "{\"file\":\"d\xEF\xBF\xBD.dat\",\"line\":12,\"recordId\":\"q\\\"b\\\\s/\","
      "\"runDate\":\"\\t\\n\\r\\b\\f\\u0001\\u001f\x7f\",\"runTime\":\"Zoë 日本 "
      "\xF0\x9F\x98\x80\"";
  for (size_t column = 5; column < kColumnCount; ++column) {
    expected += ",\"" + std::string(kColumnNames[column]) + "\":\"\"";
  }
  EXPECT_EQ(out, expected + "}\n");
}

TEST(RowWriters, APlainMarkChangesNothingForAPlainValue) {
  RecordRow row = rowOf({"d.dat", "", "2026-12-07", "21:05", "Zoë", "x-y"});
  std::string unmarked[2], marked[2];
  appendCsvRow(row, &unmarked[0]);
  appendJsonLine(row, &unmarked[1]);
  std::fill(std::begin(row.plain), std::end(row.plain), true);
  appendCsvRow(row, &marked[0]);
  appendJsonLine(row, &marked[1]);
  EXPECT_EQ(marked[0], unmarked[0]);
  EXPECT_EQ(marked[1], unmarked[1]);
}

}  // namespace
}  // namespace survey
