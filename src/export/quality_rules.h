// The data-quality rules of survey-export --check: each looks at one record, with what the
// check knows of the records before it, and tells what it finds.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "reader/record_row.h"

namespace survey {

// Where an earlier record begins.
struct RecordPlace {
  std::string_view file;
  uint64_t line = 0;
};

// A calendar day; ordered, and counted in days by dayNumber.
struct CalendarDay {
  int year = 0, month = 0, day = 0;
};
// Days since 1970-01-01 (negative before). Inline: the check counts days for every record.
inline int64_t dayNumber(const CalendarDay& day) {
  // Days from civil date, after the proleptic Gregorian calendar.
  const int64_t year = day.year - (day.month <= 2 ? 1 : 0);
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (day.month + (day.month > 2 ? -3 : 9)) + 2) / 5 + day.day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

// The record's figures that more than one reader wants, read once: the typed age when it is a
// whole number, the sum S + A and A when they read as finite numbers, the run date as a day.
struct RecordFigures {
  std::optional<double> typedAge, sum, another;
  std::optional<CalendarDay> runDay;
};
// The ages of `row`; the run day is left to the caller, who reads it once per run.
RecordFigures readAges(const RecordRow& row);

// What the check knows of this record's figures and of the records before it.
struct RuleContext {
  RecordFigures figures;
  std::optional<RecordPlace> sameId;       // an earlier record with the same recordId
  std::optional<RecordPlace> sameAnswers;  // an earlier record of another run, answers alike
  // The latest run date of the records above in the same file, and where it was.
  std::optional<CalendarDay> latestRunDate;
  std::optional<RecordPlace> latestRunPlace;
  // The day the file was last changed, in local time, when known.
  std::optional<CalendarDay> fileChanged;
  // A bit per column (1 << column) whose answer is known to be quiet (quietAnswer): the rules
  // skip it.
  uint64_t quietColumns = 0;
};

struct Finding {
  size_t column = 0;  // as kColumnNames
  std::string_view rule;
  std::string value;
  std::string detail;
};

// One rule: its name, as the `rule` column shows it, and its check.
struct QualityRule {
  std::string_view name;
  void (*check)(const RecordRow& row, const RuleContext& context, std::vector<Finding>* found);
};

// Every rule, in the order their findings for one record are listed.
const std::vector<QualityRule>& qualityRules();

// Whether no rule that looks at an answer by itself (not-a-date, not-a-number, shifted,
// replaced-letter, unnormalised) can find anything in `value` as the answer of `column`, whatever
// the rest of the record. A caller that counts answers works this out once per spelling.
bool quietAnswer(size_t column, std::string_view value);

// A date as people write it: year-month-day, day/month/year, month/day/year (when the day is
// above 12), with -, / or . between, or with the month's English name or its first three
// letters ("2-Jan-1990", "January/2/1990"); two-digit years 00 to 49 are read
// as 20xx, 50 to 99 as 19xx. Empty
// when nothing reads it as a real day.
std::optional<CalendarDay> readDate(std::string_view text);

// Answers that stand for no answer: empty, NA, N/A, None, - (any case).
bool isMissingLike(std::string_view text);

// Every byte below 0x80.
bool isAscii(std::string_view text);

// The whole of `text` read by strtod as a finite number into `value`; false when it is empty,
// has more after the number, or is infinite or not a number.
bool readNumber(std::string_view text, double* value);

}  // namespace survey
