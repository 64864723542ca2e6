// The check's flat index: every key kept with its first value through growth, 0 included.
#include "export/hash_index.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>

namespace survey::testing {
namespace {

TEST(HashIndex, KeepsTheFirstValueOfEveryKeyThroughGrowth) {
  // Keys that share their low bits, keys that differ only in their high bits, and 0, which
  // marks empty slots inside the index.
  const struct {
    const char* what;
    uint64_t step;
    uint64_t mixedWith;
    uint64_t count;
  } cases[] = {
      {"consecutive", 1, 0, 5000},
      {"same low bits", uint64_t{1} << 20, 0, 5000},
      {"differ in the high half only", uint64_t{1} << 32, 0, 5000},
      {"scattered", 0x9E3779B97F4A7C15U, 0x5555, 5000},
      // Slots over several megabytes, which may lie in large pages.
      {"many, scattered", 0x9E3779B97F4A7C15U, 0, 300000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    HashIndex<uint64_t> index;
    std::map<uint64_t, uint64_t> expected;
    for (uint64_t n = 0; n < c.count; ++n) {
      const uint64_t key = (n * c.step) ^ c.mixedWith;
      const auto [value, added] = index.tryEmplace(key, n);
      const auto [at, firstTime] = expected.try_emplace(key, n);
      ASSERT_EQ(added, firstTime) << "key " << key;
      ASSERT_EQ(*value, at->second) << "key " << key;
    }
    EXPECT_EQ(index.size(), expected.size());
    // Asked again after every growth, each key still finds its first value.
    for (const auto& [key, first] : expected) {
      const auto [value, added] = index.tryEmplace(key, 999999);
      EXPECT_FALSE(added) << "key " << key;
      EXPECT_EQ(*value, first) << "key " << key;
    }
  }
}

TEST(HashIndex, KeepsTheKeyZeroApart) {
  HashIndex<int> index;
  EXPECT_TRUE(index.tryEmplace(0, 7).second);
  EXPECT_TRUE(index.tryEmplace(1, 8).second);
  const auto [value, added] = index.tryEmplace(0, 9);
  EXPECT_FALSE(added);
  EXPECT_EQ(*value, 7);
  EXPECT_EQ(index.size(), 2u);
}

}  // namespace
}  // namespace survey::testing
