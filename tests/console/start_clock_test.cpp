// The start time line on the 12-hour clock.
#include "console/start_clock.h"

#include <gtest/gtest.h>

namespace survey {
namespace {

TEST(StartClock, TimeLineUsesTheTwelveHourClock) {
  const struct {
    int hour, minute;
    const char* shown;
  } cases[] = {{0, 0, "12:00 AM"},  {12, 0, "12:00 PM"},  {9, 5, "09:05 AM"},
               {21, 5, "09:05 PM"}, {11, 59, "11:59 AM"}, {23, 59, "11:59 PM"}};
  for (const auto& c : cases) {
    LocalTime time{1, 0, 126, c.hour, c.minute};
    EXPECT_EQ(
        formatTimeLine(time),
        std::string(" ----> The Time At Program's Run(Execution) Now Is :: ") + c.shown + ". ");
  }
}

TEST(StartClock, IsTakenOnceWithItsMonthAndYear) {
  class CountingClock : public Clock {
   public:
    LocalTime now() override {
      ++calls;
      return LocalTime{31, 11, 99, 23, 59};
    }
    int calls = 0;
  } clock;
  StartClock start = takeStartClock(clock);
  EXPECT_EQ(clock.calls, 1);
  EXPECT_STREQ(start.monthName(), "December");
  EXPECT_EQ(start.year(), 1999);
  EXPECT_EQ(start.timeLine, formatTimeLine(start.time));
}

}  // namespace
}  // namespace survey
