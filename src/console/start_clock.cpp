// The start snapshot and its time line.
#include "console/start_clock.h"

#include <cstdio>

#include "console/texts.h"

namespace survey {

const char* StartClock::monthName() const {
  int month = time.month >= 0 && time.month < 12 ? time.month : 0;
  return monthNames[month];
}

std::string formatTimeLine(const LocalTime& time) {
  int hour12 = time.hour % 12 == 0 ? 12 : time.hour % 12;
  char text[96];
  std::snprintf(text, sizeof text,
                " ----> The Time At Program's Run(Execution) Now Is :: %02d:%02d %s. ", hour12,
                time.minute, time.hour < 12 ? "AM" : "PM");
  return text;
}

StartClock takeStartClock(Clock& clock) {
  StartClock start;
  start.time = clock.now();
  start.timeLine = formatTimeLine(start.time);
  return start;
}

}  // namespace survey
