// Excerpts of typed text in notices: UTF-8 kept whole, control characters escaped.
#include "console/notices.h"

#include <gtest/gtest.h>

namespace survey::testing {
namespace {

TEST(Notices, ExcerptsKeepUtf8AndEscapeControlCharacters) {
  const std::string thirtyOne(31, 'a');
  const struct {
    std::string text;
    std::string excerpt;
  } cases[] = {
      {"trzydzie\xc5\x9b\x63i", "trzydzie\xc5\x9b\x63i"},
      {"\xe6\x9d\xb1\xe4\xba\xac\xf0\x9f\x8c\x8d", "\xe6\x9d\xb1\xe4\xba\xac\xf0\x9f\x8c\x8d"},
      {"Lon\x1b[Ddon\x7f\x01", "Lon^[[Ddon^?^A"},
      {"\x1b]0;title\x07", "^[]0;title^G"},
      // Bytes that are not UTF-8, and the control characters of the U+0080 block.
      {"caf\xe9 \xc0\xaf \xed\xa0\x80 \xc2\x9b[2J", "caf? ?? ??? ?[2J"},
      {std::string(32, 'b'), std::string(32, 'b')},
      {std::string(33, 'b'), std::string(32, 'b') + "..."},
      // Never half a character: the two-byte character that would cross 32 bytes is left out.
      {thirtyOne + "\xc3\xa9", thirtyOne + "..."},
      {"\xc3\xa9" + thirtyOne.substr(1), "\xc3\xa9" + thirtyOne.substr(1)},
      {thirtyOne + "\xc3", thirtyOne + "?"},
  };
  for (const auto& c : cases) EXPECT_EQ(printableExcerpt(c.text), c.excerpt) << c.text;
}

TEST(Notices, WordExcerptsAreCutBetweenWords) {
  EXPECT_EQ(printableWords("Harcourt Rivers"), "Harcourt Rivers");
  EXPECT_EQ(printableWords("Lovelace London 10-12-1815 30 30 5 Green-Valley"),
            "Lovelace London 10-12-1815 30 30 ...");
  EXPECT_EQ(printableWords(std::string(40, 'w') + " x"), std::string(32, 'w') + "...");
}

}  // namespace
}  // namespace survey::testing
