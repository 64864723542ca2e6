// The byte-set scan: sets built from predicates hold exactly their bytes, and the scan marks
// the same bytes with and without vector instructions, at every size and alignment.
#include "records/byte_scan.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "console/characters.h"

namespace survey::testing {
namespace {

using Predicate = bool (*)(int);

struct NamedSet {
  const char* name;
  Predicate in;
};

// Sets of many shapes: whole rows, scattered bytes, a single byte, none, all.
const NamedSet kSets[] = {
    {"controls", [](int c) { return showsAsCaret(c) || c == 0xc2; }},
    {"white space and CSV specials",
     [](int c) { return isWhiteSpace(c) || c < 0x20 || c == '"' || c == ',' || c >= 0x80; }},
    {"digits", [](int c) { return isDigit(c); }},
    {"line feed", [](int c) { return c == '\n'; }},
    {"none", [](int) { return false; }},
    {"all", [](int) { return true; }},
    {"every seventh", [](int c) { return c % 7 == 0; }},
};

TEST(ByteScan, ASetHoldsExactlyTheBytesOfItsPredicate) {
  for (const NamedSet& named : kSets) {
    const ByteSet set = ByteSet::of(named.in);
    for (int byte = 0; byte < 256; ++byte) {
      ASSERT_EQ(set.contains(static_cast<unsigned char>(byte)), named.in(byte))
          << named.name << ", byte " << byte;
    }
  }
}

TEST(ByteScan, ASetOfMoreThanEightShapesOfRowsIsRefused) {
  // Row r holds byte r of the row alone: sixteen shapes.
  EXPECT_ANY_THROW(ByteSet::of([](int c) { return c % 16 == c / 16; }));
}

// Every set, sizes across the vector widths, each start within a word: the marks are those of
// the predicate, the same from every width this processor has and the plain scan, and no bit is
// set past the end.
TEST(ByteScan, EveryScanMarksExactlyTheBytesOfTheSet) {
  const ScanWidth widths[] = {ScanWidth::k32, ScanWidth::k16};
  std::mt19937 random(23);
  std::string text(700, '\0');
  for (char& c : text) c = static_cast<char>(random() % 4 == 0 ? random() : 'a' + random() % 26);
  for (const NamedSet& named : kSets) {
    const ByteSet set = ByteSet::of(named.in);
    for (size_t start = 0; start < 64; start += 7) {
      for (size_t size = 0; size + start <= text.size(); size += 1 + size / 8) {
        const size_t words = (size + 63) / 64;
        std::vector<uint64_t> plain(words + 1, ~uint64_t{0});
        markBytesPlain(set, text.data() + start, size, plain.data());
        for (size_t at = 0; at < words * 64; ++at) {
          const bool expected = at < size && named.in(static_cast<unsigned char>(text[start + at]));
          ASSERT_EQ((plain[at / 64] >> (at % 64) & 1) != 0, expected)
              << named.name << ", start " << start << ", size " << size << ", byte " << at;
        }
        for (ScanWidth width : widths) {
          if (width > widestScan()) continue;
          std::vector<uint64_t> vector(words + 1, ~uint64_t{0});
          markBytesUpTo(width, set, text.data() + start, size, vector.data());
          ASSERT_EQ(vector, plain) << named.name << ", width " << static_cast<int>(width)
                                   << ", start " << start << ", size " << size;
        }
        ASSERT_EQ(plain[words], ~uint64_t{0}) << "a word written past the end";
      }
    }
  }
}

}  // namespace
}  // namespace survey::testing
