// formatReal against the figures the screens show and against the C library.
#include "console/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

namespace survey {
namespace {

TEST(FormatReal, ShowsTheScreensFigures) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {25, "25"},
      {8.3333333, "8.33333"},
      {0.5, "0.5"},
      {1234567, "1.23457e+006"},
      {0.00001, "1e-005"},
      {1e6, "1e+006"},
      {999999, "999999"},
      {4e6, "4e+006"},
      {-3.5, "-3.5"},
      {10.0 / 3, "3.33333"},
      {0, "0"},
      {1e100, "1e+100"},
      {1e-300, "1e-300"},
      {-2.5e-7, "-2.5e-007"},
      {0.0001, "0.0001"},
      {123456.7, "123457"},
      {std::numeric_limits<double>::infinity(), "inf"},
      {-std::numeric_limits<double>::infinity(), "-inf"},
      {std::numeric_limits<double>::quiet_NaN(), "nan"},
      {-std::numeric_limits<double>::quiet_NaN(), "nan"},
  };
  for (const auto& c : cases) EXPECT_EQ(formatReal(c.value), c.text) << c.value;
}

// printf's "%.6g" with a two-digit exponent turned into three digits.
std::string widenedPrintf(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6g", value);
  std::string s = text;
  size_t e = s.find('e');
  if (e != std::string::npos && s.size() - (e + 2) == 2) s.insert(e + 2, "0");
  return s;
}

TEST(FormatReal, MatchesTheCLibraryOverAWideRange) {
  int compared = 0;
  for (double magnitude = 1e-12; magnitude < 1e15; magnitude *= 7.3) {
    for (double mantissa : {1.0, 1.5, 2.0 / 3, 9.999995, 9.9999949, 1.0000005, 3.14159265}) {
      for (double sign : {1.0, -1.0}) {
        double value = sign * mantissa * magnitude;
        ASSERT_EQ(formatReal(value), widenedPrintf(value)) << value;
        ++compared;
      }
    }
  }
  EXPECT_GT(compared, 400);
}

}  // namespace
}  // namespace survey
