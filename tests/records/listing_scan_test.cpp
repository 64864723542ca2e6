// The listing's scan against a byte-at-a-time reference, at every size and offset, since the
// fast paths work on whole blocks and vectors.
#include "records/listing_scan.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace survey::testing {
namespace {

TEST(ListingScan, EveryByteValueAtEveryOffsetOfAVectorIsClassified) {
  for (int value = 0; value < 256; ++value) {
    // 0xC2 may begin a C1 control, which the byte after it tells.
    const bool attention =
        (value < 0x20 && value != '\n' && value != '\t') || value == 0x7f || value == 0xc2;
    for (size_t size : {1u, 31u, 64u, 200u, 300u}) {
      for (size_t at = 0; at < size; ++at) {
        std::string text(size, 'a');
        text[at] = static_cast<char>(value);
        ASSERT_EQ(findAttentionByte(text.data(), text.size()), attention ? at : size)
            << "byte " << value << " at " << at << " of " << size;
      }
    }
  }
}

TEST(ListingScan, FindsTheFirstOfSeveralAndIgnoresTextAfterTheEnd) {
  std::string text(400, 'x');
  text[150] = '\x1b';
  text[151] = '\r';
  text[390] = '\x7f';
  EXPECT_EQ(findAttentionByte(text.data(), text.size()), 150u);
  EXPECT_EQ(findAttentionByte(text.data() + 151, 249), 0u);
  EXPECT_EQ(findAttentionByte(text.data() + 152, 238), 238u);  // the DEL lies past the end
  EXPECT_EQ(findAttentionByte(text.data(), 0), 0u);
}

// The copy of the text that shows unchanged, but for carriage returns before line feeds.
TEST(ListingScan, CopiesShownTextUpToTheFirstByteThatNeedsMore) {
  std::mt19937 random(6);
  for (size_t size = 0; size < 10000; size += 1 + size / 16) {
    std::string text(size, 'c');
    for (char& c : text) {
      // Mostly printable; lines ended both ways, a rare DEL or lone carriage return.
      // Mostly printable; lines ended both ways, a rare DEL or lone carriage return, C1
      // controls and other characters of the same lead byte.
      int kind = static_cast<int>(random() % 40);
      c = kind == 0   ? '\n'
          : kind == 1 ? '\r'
          : kind == 2 ? '\xc2'
          : kind == 3 ? static_cast<char>(0x80 + random() % 0x40)
                      : static_cast<char>(0x20 + random() % 0x60);
    }
    for (size_t at = 0; at + 1 < size; at += 1 + random() % 90) {
      text[at] = '\r';
      text[at + 1] = '\n';
    }
    size_t expectedTaken = 0;
    std::string expectedOut;
    while (expectedTaken < size) {
      unsigned char c = static_cast<unsigned char>(text[expectedTaken]);
      bool dropped = c == '\r' && expectedTaken + 1 < size && text[expectedTaken + 1] == '\n';
      unsigned char after =
          expectedTaken + 1 < size ? static_cast<unsigned char>(text[expectedTaken + 1]) : 0;
      bool plainLead = c == 0xc2 && expectedTaken + 1 < size && (after < 0x80 || after > 0x9f);
      if (!dropped && !plainLead && needsAttention(c)) break;
      if (!dropped) expectedOut += static_cast<char>(c);
      ++expectedTaken;
    }
    std::string out(size, '\0');
    size_t written = 0;
    ASSERT_EQ(copyShownText(text.data(), size, out.data(), &written), expectedTaken)
        << "size " << size;
    ASSERT_EQ(out.substr(0, written), expectedOut) << "size " << size;
  }
}

}  // namespace
}  // namespace survey::testing
