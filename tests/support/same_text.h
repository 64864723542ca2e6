// Comparing texts of any size: a failure names the first differing offset and shows a little
// of both texts there, instead of a line diff that grows with the texts.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>

namespace survey::testing {

// For EXPECT_PRED_FORMAT2(sameText, actual, expected).
inline ::testing::AssertionResult sameText(const char* actualName, const char* expectedName,
                                           std::string_view actual, std::string_view expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  const size_t common = std::min(actual.size(), expected.size());
  size_t at = std::mismatch(actual.begin(), actual.begin() + common, expected.begin()).first -
              actual.begin();
  auto excerpt = [at](std::string_view text) {
    const size_t from = at < 40 ? 0 : at - 40;
    std::string shown;
    for (char c : text.substr(from, 80)) {
      if (c == '\n') {
        shown += "\\n";
      } else if (static_cast<unsigned char>(c) < 0x20) {
        shown += '^';
        shown += static_cast<char>(c + 64);
      } else {
        shown += c;
      }
    }
    return "\"" + shown + "\"";
  };
  return ::testing::AssertionFailure()
         << actualName << " and " << expectedName << " differ at offset " << at << " (sizes "
         << actual.size() << " and " << expected.size() << ")\n  " << actualName << ": "
         << excerpt(actual) << "\n  " << expectedName << ": " << excerpt(expected)
         << "\n  (excerpts from offset " << (at < 40 ? 0 : at - 40) << ")";
}

}  // namespace survey::testing

// Expects `actual` to equal `expected`, reporting the first difference.
#define EXPECT_SAME_TEXT(actual, expected) \
  EXPECT_PRED_FORMAT2(::survey::testing::sameText, actual, expected)
