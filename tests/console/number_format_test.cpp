// formatReal: the figures the screens show.
#include "console/number_format.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace survey
