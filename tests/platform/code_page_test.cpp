// Legacy code pages: every byte of every page read on its own, alike on every system.
#include "platform/code_page.h"

#include <gtest/gtest.h>

#include <string>

namespace survey {
namespace {

// The length of the UTF-8 character that `lead` starts; 0 for a byte that starts none.
size_t utf8Length(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// Over all 256 bytes of each page: ASCII as itself; any other byte either refused or one
// printable character beyond ASCII, never a C1 control (what one system gives where another
// has no character); and a run of bytes as the bytes one by one, with no accents composed.
TEST(CodePageTest, EveryByteOfEveryPageIsItselfOneCharacterOrRefused) {
  for (unsigned number : knownCodePages()) {
    const std::string name = "cp" + std::to_string(number);
    SCOPED_TRACE(name);
    std::unique_ptr<CodePage> page = openCodePage(name);
    ASSERT_NE(page, nullptr);
    std::string defined;
    std::string oneByOne;
    int refused = 0;
    for (unsigned byte = 0; byte < 256; ++byte) {
      SCOPED_TRACE(byte);
      const std::string in(1, static_cast<char>(byte));
      std::string out = "kept";
      if (!page->toUtf8(in, &out)) {
        EXPECT_GE(byte, 0x80u);
        EXPECT_EQ(out, "kept");
        ++refused;
        continue;
      }
      const std::string character = out.substr(4);
      defined += in;
      oneByOne += character;
      if (byte < 0x80) {
        EXPECT_EQ(character, in);
        continue;
      }
      ASSERT_FALSE(character.empty());
      const auto lead = static_cast<unsigned char>(character[0]);
      EXPECT_EQ(character.size(), utf8Length(lead));
      EXPECT_FALSE(lead == 0xC2 && static_cast<unsigned char>(character[1]) < 0xA0);
    }
    std::string all;
    EXPECT_TRUE(page->toUtf8(defined, &all));
    EXPECT_EQ(all, oneByOne);
    std::string every;
    for (unsigned byte = 0; byte < 256; ++byte) every += static_cast<char>(byte);
    std::string out;
    EXPECT_EQ(page->toUtf8(every, &out), refused == 0);
  }
}

TEST(CodePageTest, ConvertsTextAndNamesAsSaid) {
  const struct {
    const char* name;
    const char* bytes;
    bool converted;
    const char* utf8;
  } cases[] = {
      {"cp1252", "\x80uro", true,
       "\xE2\x82\xAC"
       "uro"},
      {"windows-1252", "Ren\xE9", true, "Ren\xC3\xA9"},
      {"CP1252", "a\x81", false, ""},  // 0x81 is no character, whatever one system says
      {"ibm850", "Jos\x82", true, "Jos\xC3\xA9"},
      {"437",
       "\x9A"
       "ber",
       true,
       "\xC3\x9C"
       "ber"},
      {"cp1258", "A\xCC", true, "A\xCC\x80"},  // the accent stays a character of its own
      {"cp874", "\xDB", false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " " + c.bytes);
    std::unique_ptr<CodePage> page = openCodePage(c.name);
    ASSERT_NE(page, nullptr);
    std::string out;
    EXPECT_EQ(page->toUtf8(c.bytes, &out), c.converted);
    EXPECT_EQ(out, c.utf8);
  }
  // Multi-byte, stateful and ASCII-changing code pages, and names this program does not give.
  for (const char* name : {"cp932", "cp65001", "cp50220", "cp864", "UTF-16", "latin1", "cp", ""}) {
    EXPECT_EQ(openCodePage(name), nullptr) << name;
  }
}

}  // namespace
}  // namespace survey
