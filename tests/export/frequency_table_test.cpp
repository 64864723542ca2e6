// Frequencies: spellings grouped under the most common, and memory bounded with exact counts.
#include "export/frequency_table.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "export/report_tally.h"

namespace survey::testing {
namespace {

// Groups as "spelling count [variant count, ...]".
std::vector<std::string> describe(const FrequencyTable& table) {
  std::vector<std::string> lines;
  for (const auto& group : table.groups()) {
    std::string line = group.spelling + " " + std::to_string(group.count) + " [";
    for (const auto& [spelling, count] : group.variants) {
      line += spelling + " " + std::to_string(count) +
              (&spelling == &group.variants.back().first ? "" : ", ");
    }
    lines.push_back(line + "]");
  }
  return lines;
}

TEST(FrequencyTable, GroupsSpellingsThatDifferInCaseAccentsOrUnicodeForm) {
  const struct {
    const char* what;
    std::vector<std::string> values;
    std::vector<std::string> groups;
  } cases[] = {
      {"case",
       {"hausa", "Hausa", "HAUSA", "Hausa", "Yoruba"},
       {"Hausa 4 [Hausa 2, HAUSA 1, hausa 1]", "Yoruba 1 [Yoruba 1]"}},
      {"Unicode form: composed and combining accent",
       {"Jos\xC3\xA9", "Jose\xCC\x81", "Jos\xC3\xA9"},
       {"Jos\xC3\xA9 3 [Jos\xC3\xA9 2, Jose\xCC\x81 1]"}},
      {"accents",
       {"Nigeria", "Nig\xC3\xA9ria", "NIGERIA", "Nigeria"},
       {"Nigeria 4 [Nigeria 2, NIGERIA 1, Nig\xC3\xA9ria 1]"}},
      {"ties go by bytes", {"b", "a"}, {"a 1 [a 1]", "b 1 [b 1]"}},
      {"tied groups and tied variants go by bytes",
       {"zed", "apple", "Mango", "mango", "APPLE", "Zed", "kiwi"},
       {"APPLE 2 [APPLE 1, apple 1]", "Mango 2 [Mango 1, mango 1]", "Zed 2 [Zed 1, zed 1]",
        "kiwi 1 [kiwi 1]"}},
      {"other letters stay apart", {"Ife", "Ile", "Ife"}, {"Ife 2 [Ife 2]", "Ile 1 [Ile 1]"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FrequencyTable table;
    for (const std::string& value : c.values) table.add(value);
    EXPECT_EQ(describe(table), c.groups);
    EXPECT_EQ(table.total(), c.values.size());
    EXPECT_EQ(table.uncounted(), 0u);
  }
}

TEST(FrequencyTable, CountsTheFirstSpellingsExactlyOnceFull) {
  FrequencyTable table;
  for (size_t value = 0; value < FrequencyTable::kMaxSpellings; ++value) {
    table.add("v" + std::to_string(value));
  }
  table.add("late");  // first seen once the table is full
  table.add("late");
  table.add("v7");  // still counted exactly
  EXPECT_EQ(table.total(), FrequencyTable::kMaxSpellings + 3);
  EXPECT_EQ(table.uncounted(), 2u);
  const auto groups = table.groups();
  ASSERT_EQ(groups.size(), FrequencyTable::kMaxSpellings);
  EXPECT_EQ(groups.front().spelling, "v7");
  EXPECT_EQ(groups.front().count, 2u);

  FrequencyTable large;  // the byte bound: 64 values of 4 KiB fill 256 KiB
  for (int tail = 0; tail < 65; ++tail) {
    large.add(std::string(4095, 'x') + static_cast<char>('A' + tail));
  }
  EXPECT_EQ(large.uncounted(), 1u);
}

TEST(FrequencyTable, KeepsTheNoteOfEachSpellingWorkedOutOnce) {
  FrequencyTable table;
  std::map<std::string, int> workedOut;
  const auto add = [&](const std::string& value) {
    return table.add(value, FrequencyTable::hashOf(value), [&](std::string_view spelling) {
      ++workedOut[std::string(spelling)];
      return static_cast<uint8_t>(spelling.size());
    });
  };
  EXPECT_EQ(add("Ada"), 3);
  EXPECT_EQ(add("Okafor"), 6);
  EXPECT_EQ(add("Ada"), 3);
  for (size_t value = 2; value < FrequencyTable::kMaxSpellings; ++value) add(std::to_string(value));
  EXPECT_EQ(add("late"), 0);  // counted as other: no note
  EXPECT_EQ(add("Okafor"), 6);
  EXPECT_EQ(workedOut["Ada"], 1);
  EXPECT_EQ(workedOut["Okafor"], 1);
  EXPECT_EQ(workedOut.count("late"), 0u);
  EXPECT_EQ(table.total(), FrequencyTable::kMaxSpellings + 3);
}

TEST(FrequencyTable, CountsEqualAnIndependentCount) {
  // Values of every length up to 40 that differ from each other in one byte only, at each
  // place, each coming a different number of times while the table grows: every count stays
  // with its value through the moves.
  std::map<std::string, uint64_t> expected;
  FrequencyTable table;
  uint64_t total = 0;
  for (size_t size = 1; size <= 40; ++size) {
    for (size_t place = 0; place < size; ++place) {
      std::string value(size, 'a');
      value[place] = 'b';
      const uint64_t times = 1 + (size * 7 + place) % 5;
      for (uint64_t time = 0; time < times; ++time) table.add(value);
      expected[value] += times;
      total += times;
    }
    const std::string plain(size, 'a');
    table.add(plain);
    ++expected[plain];
    ++total;
  }
  ASSERT_LT(expected.size(), FrequencyTable::kMaxSpellings);
  std::map<std::string, uint64_t> counted;
  for (const auto& group : table.groups()) {
    for (const auto& [spelling, count] : group.variants) counted[spelling] += count;
  }
  EXPECT_EQ(counted, expected);
  EXPECT_EQ(table.total(), total);
  EXPECT_EQ(table.uncounted(), 0u);
}

TEST(AgeHistogram, PutsAgesInDecades) {
  const struct {
    double age;
    const char* bin;
  } cases[] = {{-1, "below 0"}, {0, "0-9"},    {9.5, "0-9"},  {10, "10-19"},
               {36, "30-39"},   {99, "90-99"}, {100, "100+"}, {1e7, "100+"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.age);
    AgeHistogram ages;
    ages.add(c.age);
    size_t filled = AgeHistogram::kBins;
    for (size_t bin = 0; bin < AgeHistogram::kBins; ++bin) {
      if (ages.counts[bin] == 1) filled = bin;
    }
    ASSERT_LT(filled, AgeHistogram::kBins);
    EXPECT_EQ(AgeHistogram::binName(filled), c.bin);
  }
}

}  // namespace
}  // namespace survey::testing
