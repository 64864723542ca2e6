// The table of record identities: sized up front or not, and grown past what was reserved,
// it finds every fingerprint again and takes none for another.
#include <gtest/gtest.h>

#include <cstdint>

#include "export/export_reports.h"

namespace survey::testing {
namespace {

TEST(FingerprintSet, FindsEveryFingerprintWhateverRoomWasReserved) {
  const uint64_t count = 20000;
  auto crowded = [](uint64_t i) { return (i / 64 * 0x9E3779B1u & 0xFFFFFFFFu) << 32 | i % 64; };
  for (uint64_t reserved : {uint64_t{0}, uint64_t{1}, count / 3, count, count * 4}) {
    FingerprintSet set;
    set.reserve(reserved);
    // Spread over the high halves, which place them, and groups of 64 with the same high half,
    // which all want one slot.
    for (uint64_t i = 1; i <= count; ++i) {
      ASSERT_TRUE(set.insert(i * 0x9E3779B97F4A7C15u)) << "reserved " << reserved << ", " << i;
      ASSERT_TRUE(set.insert(crowded(i))) << "reserved " << reserved << ", " << i;
      // A second file's room, asked for between records, keeps what is there.
      if (i == count / 2) set.reserve(reserved);
    }
    for (uint64_t i = 1; i <= count; ++i) {
      ASSERT_FALSE(set.insert(i * 0x9E3779B97F4A7C15u)) << "reserved " << reserved << ", " << i;
      ASSERT_FALSE(set.insert(crowded(i))) << "reserved " << reserved << ", " << i;
    }
  }
}

}  // namespace
}  // namespace survey::testing
