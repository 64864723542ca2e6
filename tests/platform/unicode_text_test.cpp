// UTF-8 and UTF-16 conversion in pieces, and console typing rules, as the Windows console
// and file calls use them.
#include "platform/unicode_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace survey {
namespace {

struct Utf16Case {
  const char* name;
  std::vector<std::u16string> pieces;
  std::string utf8;
};

TEST(Utf16ToUtf8Test, JoinsPairsAcrossPiecesAndReplacesLoneSurrogates) {
  const Utf16Case cases[] = {
      {"scripts",
       {u"Jos\u00e9 \u0141\u00f3d\u017a \u0391\u03b8 \u041c\u043e"},
       "Jos\xc3\xa9 \xc5\x81\xc3\xb3"
       "d\xc5\xba \xce\x91\xce\xb8 \xd0\x9c\xd0\xbe"},
      {"pair split between pieces",
       {u"a\xd83d",
        u"\xde00"
        u"b"},
       "a\xf0\x9f\x98\x80"
       "b"},
      {"pair whole", {u"\xd83d\xde00"}, "\xf0\x9f\x98\x80"},
      {"high then a letter", {u"\xd83d", u"x"}, "\xef\xbf\xbdx"},
      {"two highs then a low", {u"\xd83d\xd83d\xde00"}, "\xef\xbf\xbd\xf0\x9f\x98\x80"},
      {"lone low",
       {u"\xde00"
        u"a"},
       "\xef\xbf\xbd"
       "a"},
      {"high at the end", {u"z", u"\xdbff"}, "z\xef\xbf\xbd"},
      {"edges of the planes",
       {u"\x7f\x80\x7ff\x800\xffff", u"\xdbff\xdfff"},
       "\x7f\xc2\x80\xdf\xbf\xe0\xa0\x80\xef\xbf\xbf\xf4\x8f\xbf\xbf"},
  };
  for (const Utf16Case& c : cases) {
    Utf16ToUtf8 converter;
    std::string utf8;
    for (const std::u16string& piece : c.pieces) converter.convert(piece, &utf8);
    converter.finish(&utf8);
    EXPECT_EQ(utf8, c.utf8) << c.name;
  }
}

// Without a legacy code page each ill-formed part is U+FFFD; with one, each byte of it is that
// byte's character in the code page.
TEST(Utf8ToUtf16Test, JoinsCharactersAcrossPiecesAndReplacesEachIllFormedPart) {
  std::u16string legacy(128, u'?');
  legacy[0x82 - 0x80] = u'\u00e9';
  legacy[0xA2 - 0x80] = u'\u00f3';
  legacy[0xC3 - 0x80] = u'\u251c';
  legacy[0xE2 - 0x80] = u'\u0393';
  const struct {
    const char* name;
    std::vector<std::string> pieces;
    std::u16string utf16;
    bool withLegacy = false;
  } cases[] = {
      {"scripts",
       {"Jos\xc3\xa9 \xc5\x81\xc3\xb3"
        "d\xc5\xba \xd0\x9c"},
       u"Jos\u00e9 \u0141\u00f3d\u017a \u041c"},
      {"two bytes split",
       {"\xc5",
        "\x81"
        "a"},
       u"\u0141"
       u"a"},
      {"four bytes in three pieces", {"\xf0", "\x9f\x98", "\x80"}, u"\xd83d\xde00"},
      {"largest", {"\xf4\x8f\xbf\xbf"}, u"\xdbff\xdfff"},
      {"stray continuation",
       {"a\x80"
        "b"},
       u"a\xfffd"
       u"b"},
      {"overlong two bytes", {"\xc0\xaf"}, u"\xfffd\xfffd"},
      {"overlong three bytes", {"\xe0\x80\xaf"}, u"\xfffd\xfffd\xfffd"},
      {"surrogate", {"\xed\xa0\x80"}, u"\xfffd\xfffd\xfffd"},
      {"beyond U+10FFFF", {"\xf4\x90\x80\x80"}, u"\xfffd\xfffd\xfffd\xfffd"},
      {"cut before a letter",
       {"\xe2\x82", "A"},
       u"\xfffd"
       u"A"},
      {"cut at the end", {"ok\xf0\x9f\x98"}, u"ok\xfffd"},
      {"never used", {"\xf5\xff"}, u"\xfffd\xfffd"},
      {"legacy: stray bytes",
       {"Jos\x82 L\xa2"
        "dz"},
       u"Jos\u00e9 L\u00f3"
       u"dz",
       true},
      {"legacy: UTF-8 stays", {"\xc5\x81\xc3\xb3"}, u"\u0141\u00f3", true},
      {"legacy: a lead byte cut off by the next piece",
       {"\xc3", "A"},
       u"\u251c"
       u"A",
       true},
      {"legacy: each byte of a cut character",
       {"\xe2\x82"
        "A"},
       u"\u0393\u00e9"
       u"A",
       true},
      {"legacy: a cut character at the end", {"\xe0\xa0"}, u"??", true},
  };
  for (const auto& c : cases) {
    Utf8ToUtf16 converter = c.withLegacy ? Utf8ToUtf16(legacy) : Utf8ToUtf16();
    std::u16string units;
    for (const std::string& piece : c.pieces) converter.convert(piece, &units);
    converter.finish(&units);
    EXPECT_EQ(units, c.utf16) << c.name;
  }
}

struct TypedCase {
  const char* name;
  std::vector<std::u16string> reads;
  std::string text;  // what the program reads, up to the end of input if one read ends it
  bool ended;
};

TEST(TypedTextTest, GivesLfLinesAndEndsAtCtrlZStartingALine) {
  const TypedCase cases[] = {
      {"a typed line",
       {u"Jos\u00e9 \u0141\u00f3d\u017a\r\n"},
       "Jos\xc3\xa9 \xc5\x81\xc3\xb3"
       "d\xc5\xba\n",
       false},
      {"CR and LF in two reads", {u"ab\r", u"\ncd\r\n"}, "ab\ncd\n", false},
      {"CR alone stays", {u"a\rb\r", u"c"}, "a\rb\rc", false},
      {"pair split between reads", {u"\xd83d", u"\xde00\r\n"}, "\xf0\x9f\x98\x80\n", false},
      {"Ctrl+Z first", {u"\x1a\r\n"}, "", true},
      {"Ctrl+Z on the next line",
       {u"1\r\n",
        u"\x1a"
        u"abc\r\n"},
       "1\n",
       true},
      {"Ctrl+Z after a CR LF split between reads", {u"1\r", u"\n", u"\x1a\r\n"}, "1\n", true},
      {"Ctrl+Z inside a line",
       {u"a\x1a"
        u"b\r\n"},
       "a\x1a"
       "b\n",
       false},
      {"Ctrl+Z where a long line goes on", {u"abc", u"\x1a\r\n"}, "abc\x1a\n", false},
  };
  for (const TypedCase& c : cases) {
    TypedText typed;
    std::string text;
    bool ended = false;
    for (const std::u16string& read : c.reads) {
      if (!typed.take(read, &text)) {
        ended = true;
        break;
      }
    }
    EXPECT_EQ(text, c.text) << c.name;
    EXPECT_EQ(ended, c.ended) << c.name;
  }
}

}  // namespace
}  // namespace survey
