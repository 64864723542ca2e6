// Spelling keys and the canonical form: the same for every way of writing a name.
#include "platform/text_forms.h"

#include <gtest/gtest.h>

#include <string>

namespace survey::testing {
namespace {

TEST(TextForms, FoldedKeysGroupSpellings) {
  const struct {
    std::string text;
    std::string key;
  } cases[] = {
      {"Nigeria", "nigeria"},
      {"HAUSA", "hausa"},
      {"Port Harcourt-2 (A.M.)", "port harcourt-2 (a.m.)"},
      {std::string("a\tB\0C\x7f", 6), std::string("a\tb\0c\x7f", 6)},
      {"", ""},
      {"Jos\xC3\xA9", "jose"},     // precomposed é
      {"JOSE\xCC\x81", "jose"},    // E and a combining acute
      {"\xC3\x89MILE", "emile"},   // É
      {"\xEF\xAC\x81le", "file"},  // the ligature fi
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    std::string key = "left over";
    ASSERT_TRUE(foldedKey(c.text, &key));
    EXPECT_EQ(key, c.key);
  }
  std::string key;
  EXPECT_FALSE(foldedKey("Jos\xE9", &key));  // CP1252, not UTF-8
}

}  // namespace
}  // namespace survey::testing
