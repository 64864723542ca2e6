// Field texts: exactly what the program's formatting writes, nothing near it.
#include "reader/field_values.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "console/number_format.h"

namespace survey {
namespace {

TEST(FieldValues, EveryFigureFormatRealWritesIsAcceptedAsItIs) {
  for (double magnitude = 1e-7; magnitude < 1e9; magnitude *= 10) {
    for (double step : {1.0, 1.5, 2.25, 3.0001, 9.99999, 9.999995, 1.234567, 7.0000001}) {
      for (double sign : {1.0, -1.0}) {
        const std::string text = formatReal(sign * step * magnitude);
        EXPECT_TRUE(isFormattedReal(text)) << text;
      }
    }
  }
  for (double value : {0.0, -0.0, 1e300, 5e-324, std::numeric_limits<double>::infinity(),
                       -std::numeric_limits<double>::infinity(), std::nan("")}) {
    EXPECT_TRUE(isFormattedReal(formatReal(value))) << formatReal(value);
  }
}

TEST(FieldValues, TextNearAFigureIsNotOne) {
  for (const char* text :
       {"",        "-",         ".",    "5.",    ".5",      "05",      "-05",
        "5.0",     "5.50",      "+5",   " 5",    "5 ",      "1234567", "123456.5",
        "0.00001", "0.0000123", "1e6",  "1e+06", "1e+006 ", "1E+006",  "1e+0006",
        "INF",     "infinity",  "-nan", "0x10",  "1,5",     "١"}) {
    EXPECT_FALSE(isFormattedReal(text)) << text;
  }
  for (const char* text : {"0", "-0", "5", "123456", "0.0001", "0.000123457", "-3.5", "1e+006",
                           "1.23457e+006", "1e-005", "inf", "-inf", "nan"}) {
    EXPECT_TRUE(isFormattedReal(text)) << text;
  }
}

TEST(FieldValues, StartTimesAndDates) {
  const struct {
    const char* text;
    int hour, minute;
  } times[] = {{"12:00 AM", 0, 0}, {"12:30 PM", 12, 30}, {"09:05 PM", 21, 5}, {"11:59 AM", 11, 59}};
  for (const auto& t : times) {
    int hour = -1, minute = -1;
    EXPECT_TRUE(parseTwelveHourTime(t.text, &hour, &minute)) << t.text;
    EXPECT_EQ(hour, t.hour);
    EXPECT_EQ(minute, t.minute);
  }
  for (const char* text : {"00:00 AM", "13:00 PM", "9:05 PM", "09:60 AM", "09:05 pm", "09:05 XM",
                           "09-05 AM", "09:05  AM"}) {
    int hour, minute;
    EXPECT_FALSE(parseTwelveHourTime(text, &hour, &minute)) << text;
  }
  int value = -1;
  EXPECT_TRUE(parseWhole("2026", &value));
  EXPECT_EQ(value, 2026);
  for (const char* text : {"", "07", "-1", "1e3", "12a", "1234567890"}) {
    EXPECT_FALSE(parseWhole(text, &value)) << text;
  }
  EXPECT_EQ(daysInMonth(1, 2024), 29);
  EXPECT_EQ(daysInMonth(1, 1900), 28);
  EXPECT_EQ(daysInMonth(1, 2000), 29);
  EXPECT_EQ(daysInMonth(10, 2026), 30);
}

}  // namespace
}  // namespace survey
