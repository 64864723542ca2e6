// A record's identity: the hash of its values, each after its length in four bytes.
#include "reader/record_id.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <string>

#define XXH_INLINE_ALL
#include <xxhash.h>

#include "export/read_whole.h"
#include "export/sample_records.h"
#include "reader/record_reader.h"

namespace survey::testing {
namespace {

std::string hex(uint64_t id) {
  char text[17];
  std::snprintf(text, sizeof text, "%016" PRIx64, id);
  return text;
}

// The identity of values laid out by hand, with each length spelt out byte by byte.
TEST(RecordId, HashesEachValueAfterItsLengthLeastSignificantByteFirst) {
  const std::string threeHundred(300, 'x');
  const struct {
    std::vector<std::string_view> values;
    std::string bytes;
  } cases[] = {
      {{}, ""},
      {{""}, std::string("\0\0\0\0", 4)},
      {{"a", "", "bc"}, std::string("\1\0\0\0a\0\0\0\0\2\0\0\0bc", 15)},
      {{"Zoë"}, std::string("\4\0\0\0Zo\xC3\xAB", 8)},
      {{threeHundred}, std::string("\x2C\x01\0\0", 4) + threeHundred},
  };
  std::string scratch = "left over from before";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    const uint64_t id = recordIdOf(c.values.data(), c.values.size(), &scratch);
    EXPECT_EQ(id, XXH3_64bits(c.bytes.data(), c.bytes.size()));
    char text[16];
    writeRecordId(id, text);
    EXPECT_EQ(std::string(text, sizeof text), hex(id));
  }
  // XXH3-64 of no bytes at all, as published with the algorithm.
  EXPECT_EQ(recordIdOf(nullptr, 0, &scratch), 0x2D06800538D394C2u);
  // Moving a byte from one value to the next changes the identity.
  const std::string_view ab[] = {"ab", "c"}, abc[] = {"a", "bc"};
  EXPECT_NE(recordIdOf(ab, 2, &scratch), recordIdOf(abc, 2, &scratch));
}

struct Rows : RecordSink {
  std::vector<std::vector<std::string>> values;
  std::vector<uint64_t> ids;
  void record(const RecordRow& row) override {
    values.emplace_back(std::begin(row.fields), std::end(row.fields));
    ids.push_back(row.recordId);
  }
  void skipped(const SkippedLines&) override { ADD_FAILURE() << "a record was skipped"; }
};

Rows readAll(const std::string& name, const std::string& bytes) {
  Rows rows;
  RecordReader reader(name, rows);
  feed(reader, bytes);
  reader.finish();
  return rows;
}

// The reader's identity covers the run date up to the last figure, not the file or the line.
TEST(RecordId, TheReaderHashesEveryColumnAfterTheIdentity) {
  SurveyAnswers second = trickyAnswers();
  second.firstName = "Second";
  const std::string file = recordOf(trickyAnswers()) + recordOf(second);
  const Rows rows = readAll("a.dat", file);
  ASSERT_EQ(rows.values.size(), 2u);
  for (size_t record = 0; record < 2; ++record) {
    const std::vector<std::string>& row = rows.values[record];
    std::string bytes;
    // Every column after the identity: today's columns are all covered.
    for (size_t column = kRunDateColumn; column < kColumnCount; ++column) {
      const uint32_t size = static_cast<uint32_t>(row[column].size());
      for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>(size >> shift));
      bytes += row[column];
    }
    EXPECT_EQ(rows.ids[record], XXH3_64bits(bytes.data(), bytes.size())) << record;
    EXPECT_EQ(row[kRecordIdColumn], hex(rows.ids[record])) << record;
  }
  EXPECT_NE(rows.ids[0], rows.ids[1]);
  // The same records elsewhere, in another file and order, have the same identities.
  const Rows moved = readAll("b.dat", recordOf(second) + recordOf(trickyAnswers()));
  ASSERT_EQ(moved.ids.size(), 2u);
  EXPECT_EQ(moved.ids[0], rows.ids[1]);
  EXPECT_EQ(moved.ids[1], rows.ids[0]);
}

}  // namespace
}  // namespace survey::testing
