// The record layout, shared by the record writer and whatever reads records back.
#pragma once

#include <cstddef>

namespace survey {

// The lines of one record, in order, with "{name}" fields: answers and figures by their
// answerLookup names, contact texts and rules by theirs, and the start clock's "timeLine",
// "day", "monthName" and "year". Line 30 carries the start time and date; line 31 is empty.
inline constexpr size_t kRecordLineCount = 35;
extern const char* const kRecordLines[kRecordLineCount];

}  // namespace survey
