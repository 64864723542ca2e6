// The one UTF-8 decoder: its verdicts on awkward sequences, and the converter to UTF-16 and
// the cut of a long word agreeing with it.
#include "platform/utf8.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/unicode_text.h"

namespace survey {
namespace {

TEST(Utf8, AwkwardSequences) {
  const struct {
    const char* name;
    std::string bytes;
    size_t firstLength;  // utf8SequenceLength at 0
    bool valid;
    size_t whole;  // wholeCharactersLength
  } cases[] = {
      {"ASCII", "A", 1, true, 1},
      {"two bytes", "\xc3\xa9", 2, true, 2},
      {"U+FFFF", "\xef\xbf\xbf", 3, true, 3},
      {"U+10FFFF", "\xf4\x8f\xbf\xbf", 4, true, 4},
      {"overlong two bytes", "\xc0\xaf", 0, false, 2},
      {"overlong three bytes", "\xe0\x80\xaf", 0, false, 3},
      {"overlong four bytes", "\xf0\x8f\xbf\xbf", 0, false, 4},
      {"high surrogate", "\xed\xa0\x80", 0, false, 3},
      {"low surrogate", "\xed\xbf\xbf", 0, false, 3},
      {"beyond U+10FFFF", "\xf4\x90\x80\x80", 0, false, 4},
      {"F5 lead", "\xf5\x80\x80\x80", 0, false, 4},
      {"FF", "\xff", 0, false, 1},
      {"stray continuation", "\x80", 0, false, 1},
      {"two bytes cut", "a\xc3", 1, false, 1},
      {"three bytes cut after two", "a\xe2\x82", 1, false, 1},
      {"four bytes cut after three", "ab\xf0\x9f\x98", 1, false, 2},
      // A lead byte cut short goes by its bit pattern, whether or not its bytes are well-formed.
      {"cut overlong", "a\xe0\x80", 1, false, 1},
      {"cut beyond U+10FFFF", "a\xf4\x90", 1, false, 1},
      {"C1 lead alone", "a\xc1", 1, false, 1},
      {"F8 is no lead", "a\xf8", 1, false, 2},
      {"four continuations", "a\x80\x80\x80\x80", 1, false, 5},
      {"whole character then a cut one", "\xc3\xa9\xc3", 2, false, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(utf8SequenceLength(c.bytes, 0), c.firstLength);
    EXPECT_EQ(isValidUtf8(c.bytes), c.valid);
    EXPECT_EQ(wholeCharactersLength(c.bytes), c.whole);
  }
}

// Every lead byte with continuation bytes at the edges of their ranges: the check and the
// converter to UTF-16 agree on what is well-formed, and no proper prefix of a well-formed
// character survives the cut of a word.
TEST(Utf8, CheckConverterAndCutAgree) {
  const unsigned char edges[] = {0x00, 0x7f, 0x80, 0x8f, 0x90, 0x9f, 0xa0, 0xbf, 0xc0, 0xff};
  int wellFormed = 0;
  for (int lead = 0x80; lead <= 0xff; ++lead) {
    for (unsigned char second : edges) {
      for (unsigned char rest : {0x80, 0xbf, 0x41}) {
        std::string bytes{static_cast<char>(lead), static_cast<char>(second),
                          static_cast<char>(rest), static_cast<char>(rest)};
        for (size_t size = 1; size <= bytes.size(); ++size) {
          const std::string text = bytes.substr(0, size);
          SCOPED_TRACE(testing::PrintToString(text));
          const std::u16string units = toUtf16(text);
          const bool replaced = units.find(u'\xfffd') != std::u16string::npos;
          EXPECT_EQ(isValidUtf8(text), !replaced && toUtf8(units) == text);
          if (!isValidUtf8(text)) continue;
          ++wellFormed;
          const size_t length = utf8SequenceLength(text, 0);
          for (size_t cut = 1; cut < length; ++cut) {
            EXPECT_EQ(wholeCharactersLength("x" + text.substr(0, cut)), 1u);
          }
          EXPECT_EQ(wholeCharactersLength("x" + text.substr(0, length)), 1 + length);
        }
      }
    }
  }
  EXPECT_GT(wellFormed, 100);
}

}  // namespace
}  // namespace survey
