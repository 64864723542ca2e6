// The local date and time taken once at program start; every clock text of a run uses it.
#pragma once

#include <string>

#include "platform/env.h"

namespace survey {

struct StartClock {
  LocalTime time;
  // " ----> The Time At Program's Run(Execution) Now Is :: 09:05 PM. " (12-hour clock).
  std::string timeLine;

  int year() const { return time.yearsSince1900 + 1900; }
  const char* monthName() const;
};

StartClock takeStartClock(Clock& clock);
std::string formatTimeLine(const LocalTime& time);

}  // namespace survey
