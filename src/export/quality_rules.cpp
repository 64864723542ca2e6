// The data-quality rules, each a function of one record and what the check knows before it.
#include "export/quality_rules.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/text_forms.h"

namespace survey {
namespace {

constexpr std::string_view kMonthNames[] = {"january",   "february", "march",    "april",
                                            "may",       "june",     "july",     "august",
                                            "september", "october",  "november", "december"};
constexpr std::string_view kMissingLike[] = {"", "na", "n/a", "none", "-"};
constexpr std::string_view kMeridiems[] = {"am", "pm", "a.m.", "p.m.", "a.m", "p.m"};
// The columns of names, where a console that could not type a letter leaves "?" or U+FFFD.
constexpr size_t kNameColumns[] = {7, 8, 14};  // firstName, surname, coordinatorName
constexpr size_t kEntryDateColumn = 5, kDateOfBirthColumn = 10, kAgeColumn = 11;
constexpr size_t kAnotherYearAgeColumn = 26, kSumColumn = 27;
constexpr size_t kFirstAnswerColumn = 5, kLastAnswerColumn = 25;
constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// ASCII letters in lower case; the words compared with are ASCII, so other bytes stay as they are.
char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// `text` equals the lower-case `word` but for the case of its ASCII letters.
bool sameWord(std::string_view text, std::string_view word) {
  if (text.size() != word.size()) return false;
  for (size_t at = 0; at < text.size(); ++at) {
    if (lowerAscii(text[at]) != word[at]) return false;
  }
  return true;
}

bool allDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (std::isdigit(static_cast<unsigned char>(c)) == 0) return false;
  }
  return true;
}

bool allLetters(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (std::isalpha(static_cast<unsigned char>(c)) == 0 && static_cast<unsigned char>(c) < 0x80) {
      return false;
    }
  }
  return true;
}

// 1 to 12 for a month's name or its first three letters, else 0.
int monthByName(std::string_view text) {
  if (text.size() < 3 || text.size() > 9) return 0;  // "may" to "september"
  for (size_t month = 0; month < std::size(kMonthNames); ++month) {
    if (sameWord(text, kMonthNames[month]) ||
        (text.size() == 3 && sameWord(text, kMonthNames[month].substr(0, 3)))) {
      return static_cast<int>(month) + 1;
    }
  }
  return 0;
}

// The value of a run of one to four decimal digits.
int digitsValue(std::string_view digits) {
  int value = 0;
  for (char c : digits) value = value * 10 + (c - '0');
  return value;
}

bool isLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

std::optional<CalendarDay> validDay(int year, int month, int day) {
  static constexpr std::array<int, 12> kDays = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return std::nullopt;
  if (day > kDays[static_cast<size_t>(month - 1)]) return std::nullopt;
  if (month == 2 && day == 29 && !isLeap(year)) return std::nullopt;
  return CalendarDay{year, month, day};
}

// A two-digit year: 00 to 49 as 20xx, 50 to 99 as 19xx.
std::optional<CalendarDay> withShortYear(int year, int month, int day) {
  return validDay(year < 50 ? 2000 + year : 1900 + year, month, day);
}

// A year part: four digits, or two (returned negative so that the caller widens it).
std::optional<int> yearPart(std::string_view part) {
  if (!allDigits(part) || (part.size() != 4 && part.size() != 2)) return std::nullopt;
  const int value = digitsValue(part);
  return part.size() == 2 ? -1 - value : value;
}

// A day or numeric month part: one or two digits.
int smallPart(std::string_view part) {
  if (!allDigits(part) || part.size() > 2) return 0;
  return digitsValue(part);
}

std::optional<CalendarDay> dayOf(int year, int month, int day) {
  if (month == 0 || day == 0) return std::nullopt;
  return year < 0 ? withShortYear(-1 - year, month, day) : validDay(year, month, day);
}

std::string placeText(const RecordPlace& place) {
  return std::string(place.file) + " line " + std::to_string(place.line);
}

std::string dayText(const CalendarDay& day) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", day.year, day.month, day.day);
  return text;
}

void add(std::vector<Finding>* found, size_t column, std::string_view rule, std::string_view value,
         std::string detail) {
  found->push_back(Finding{column, rule, std::string(value), std::move(detail)});
}

// A date of birth that is a word: the second word of the answer before it ("Port Harcourt").
bool isShiftedWord(size_t column, std::string_view value) {
  return column == kDateOfBirthColumn && allLetters(value) && monthByName(value) == 0;
}

bool looksLikeTime(std::string_view text) {
  const size_t colon = text.find(':');
  if (colon == std::string_view::npos || colon == 0 || colon > 2) return false;
  const std::string_view minutes = text.substr(colon + 1, 2);
  return allDigits(text.substr(0, colon)) && minutes.size() == 2 && allDigits(minutes);
}

bool isMeridiem(std::string_view text) {
  if (text.size() < 2 || text.size() > 4) return false;
  for (std::string_view word : kMeridiems) {
    if (sameWord(text, word)) return true;
  }
  return false;
}

// [-]digits[.digits]: the form the records' figures take, which from_chars reads as strtod
// does, both rounding correctly, without the copy that strtod needs.
bool isPlainDecimal(std::string_view text) {
  size_t at = !text.empty() && text[0] == '-' ? 1 : 0;
  const size_t wholeStart = at;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
  if (at == wholeStart) return false;
  if (at == text.size()) return true;
  if (text[at] != '.') return false;
  const size_t fractionStart = ++at;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
  return at == text.size() && at > fractionStart;
}

// Rules --------------------------------------------------------------------------------------

void checkDuplicate(const RecordRow& row, const RuleContext& context, std::vector<Finding>* found) {
  if (!context.sameId) return;
  add(found, kRecordIdColumn, "duplicate", row.fields[kRecordIdColumn],
      "the same record as " + placeText(*context.sameId));
}

void checkRetyped(const RecordRow& row, const RuleContext& context, std::vector<Finding>* found) {
  if (!context.sameAnswers || context.sameId) return;
  add(found, kRecordIdColumn, "retyped", row.fields[kRecordIdColumn],
      "the same answers as " + placeText(*context.sameAnswers) + ", of another run");
}

void checkDates(const RecordRow& row, const RuleContext& /*context*/, std::vector<Finding>* found) {
  for (size_t column : {kEntryDateColumn, kDateOfBirthColumn}) {
    const std::string_view value = row.fields[column];
    if (isMissingLike(value) || isShiftedWord(column, value) || readDate(value)) continue;
    add(found, column, "not-a-date", value, "no common date form reads it");
  }
}

void checkNumber(const RecordRow& row, const RuleContext& /*context*/,
                 std::vector<Finding>* found) {
  std::string_view value = row.fields[kAgeColumn];
  if (isMissingLike(value)) return;
  if (value[0] == '+' || value[0] == '-') value.remove_prefix(1);
  if (allDigits(value)) return;
  add(found, kAgeColumn, "not-a-number", row.fields[kAgeColumn], "not a whole number");
}

void checkAgeMismatch(const RecordRow& row, const RuleContext& context,
                      std::vector<Finding>* found) {
  const RecordFigures& figures = context.figures;
  if (!figures.typedAge || !figures.sum || !figures.another) return;
  const double sameAge = *figures.sum - *figures.another;
  // The figures carry six significant digits: within their rounding, the ages agree.
  const double tolerance = 5e-6 * (std::fabs(*figures.sum) + std::fabs(*figures.another)) + 1e-9;
  if (std::fabs(sameAge - *figures.typedAge) <= tolerance) return;
  char same[40];
  std::snprintf(same, sizeof same, "%.6g", sameAge);
  add(found, kAgeColumn, "age-mismatch", row.fields[kAgeColumn],
      std::string("the same age is ") + same + " (" + std::string(row.fields[kSumColumn]) + " - " +
          std::string(row.fields[kAnotherYearAgeColumn]) + ")");
}

void checkShifted(const RecordRow& row, const RuleContext& /*context*/,
                  std::vector<Finding>* found) {
  for (size_t column = kFirstAnswerColumn; column <= kLastAnswerColumn; ++column) {
    const std::string_view value = row.fields[column];
    const std::string_view before = row.fields[column - 1];
    if (isShiftedWord(column, value)) {
      add(found, column, "shifted", value,
          "a word where a date belongs: the rest of " + std::string(kColumnNames[column - 1]) +
              " \"" + std::string(before) + "\"?");
    } else if (column > kFirstAnswerColumn && isMeridiem(value) && looksLikeTime(before)) {
      add(found, column, "shifted", value,
          "the rest of " + std::string(kColumnNames[column - 1]) + " \"" + std::string(before) +
              "\"?");
    }
  }
}

void checkRunDate(const RecordRow& row, const RuleContext& context, std::vector<Finding>* found) {
  const std::string_view value = row.fields[kRunDateColumn];
  const auto& day = context.figures.runDay;
  if (!day) return;
  const int64_t number = dayNumber(*day);
  if (day->year < 2000) {
    add(found, kRunDateColumn, "run-date", value, "before 2000: the computer's clock was wrong?");
  } else if (context.fileChanged && number > dayNumber(*context.fileChanged) + 1) {
    // A day's grace: the file's time is read in this computer's time zone, which may not be
    // the one the record was made in.
    add(found, kRunDateColumn, "run-date", value,
        "more than a day after the file was last changed (" + dayText(*context.fileChanged) + ")");
  } else if (context.latestRunDate && number + 1 < dayNumber(*context.latestRunDate)) {
    add(found, kRunDateColumn, "run-date", value,
        "more than a day before " + dayText(*context.latestRunDate) + " of " +
            (context.latestRunPlace ? placeText(*context.latestRunPlace) : "a record above"));
  }
}

void checkReplacedLetter(const RecordRow& row, const RuleContext& /*context*/,
                         std::vector<Finding>* found) {
  for (size_t column : kNameColumns) {
    const std::string_view value = row.fields[column];
    if (value.find('?') == std::string_view::npos &&
        value.find(kReplacementCharacter) == std::string_view::npos) {
      continue;
    }
    add(found, column, "replaced-letter", value,
        "a letter the console could not type became ? or U+FFFD");
  }
}

void checkNormalised(const RecordRow& row, const RuleContext& /*context*/,
                     std::vector<Finding>* found) {
  std::string nfc;
  for (size_t column = kFirstAnswerColumn; column <= kLastAnswerColumn; ++column) {
    const std::string_view value = row.fields[column];
    if (isAscii(value)) continue;  // ASCII is in every normal form
    if (!toNfc(value, &nfc) || nfc == value) continue;
    add(found, column, "unnormalised", value,
        "not in Unicode NFC, which is \"" + nfc + "\": it counts apart from that spelling");
  }
}

}  // namespace

RecordFigures readAges(const RecordRow& row) {
  RecordFigures figures;
  // A whole number, as a typed age should be: a sign at most, then one to fifteen digits.
  const std::string_view typed = row.fields[kAgeColumn];
  std::string_view digits = typed;
  if (!digits.empty() && (digits[0] == '+' || digits[0] == '-')) digits.remove_prefix(1);
  double value = 0;
  if (allDigits(digits) && digits.size() <= 15 && readNumber(typed, &value)) {
    figures.typedAge = value;
  }
  if (readNumber(row.fields[kSumColumn], &value)) figures.sum = value;
  if (readNumber(row.fields[kAnotherYearAgeColumn], &value)) figures.another = value;
  return figures;
}

int64_t dayNumber(const CalendarDay& day) {
  // Days from civil date, after the proleptic Gregorian calendar.
  const int64_t year = day.year - (day.month <= 2 ? 1 : 0);
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (day.month + (day.month > 2 ? -3 : 9)) + 2) / 5 + day.day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

std::optional<CalendarDay> readDate(std::string_view text) {
  // YYYY-MM-DD, the form the program writes its run dates in, read without splitting.
  if (text.size() == 10 && text[4] == '-' && text[7] == '-') {
    const std::string_view year = text.substr(0, 4), month = text.substr(5, 2);
    const std::string_view day = text.substr(8, 2);
    if (allDigits(year) && allDigits(month) && allDigits(day)) {
      return validDay(digitsValue(year), digitsValue(month), digitsValue(day));
    }
  }
  std::array<std::string_view, 3> parts;
  size_t count = 0;
  size_t start = 0;
  for (size_t at = 0; at <= text.size(); ++at) {
    if (at == text.size() || text[at] == '-' || text[at] == '/' || text[at] == '.') {
      if (count == parts.size()) return std::nullopt;
      parts[count++] = text.substr(start, at - start);
      start = at + 1;
    }
  }
  if (count != parts.size()) return std::nullopt;
  // Year first: year, month (a number or a name), day.
  if (parts[0].size() == 4) {
    const auto year = yearPart(parts[0]);
    if (!year) return std::nullopt;
    const int month = allDigits(parts[1]) ? smallPart(parts[1]) : monthByName(parts[1]);
    return dayOf(*year, month, smallPart(parts[2]));
  }
  const auto year = yearPart(parts[2]);
  if (!year) return std::nullopt;
  if (int month = monthByName(parts[1]); month != 0) {
    return dayOf(*year, month, smallPart(parts[0]));
  }
  if (int month = monthByName(parts[0]); month != 0) {
    return dayOf(*year, month, smallPart(parts[1]));
  }
  // Both numbers: day first, as most of the world writes it, else month first.
  if (auto found = dayOf(*year, smallPart(parts[1]), smallPart(parts[0]))) return found;
  return dayOf(*year, smallPart(parts[0]), smallPart(parts[1]));
}

bool isMissingLike(std::string_view text) {
  if (text.size() > 4) return false;  // the longest is "none"
  for (std::string_view missing : kMissingLike) {
    if (sameWord(text, missing)) return true;
  }
  return false;
}

bool isAscii(std::string_view text) {
  // The high bits of every byte gathered, eight bytes a step, the last step overlapping the one
  // before: no loop over single bytes, whose end the processor guesses badly for short values.
  const char* at = text.data();
  const size_t size = text.size();
  uint64_t high = 0;
  if (size >= 8) {
    uint64_t word = 0;
    for (size_t from = 0; from + 8 <= size; from += 8) {
      std::memcpy(&word, at + from, sizeof word);
      high |= word;
    }
    std::memcpy(&word, at + size - 8, sizeof word);
    high |= word;
  } else if (size >= 4) {
    uint32_t first = 0, last = 0;
    std::memcpy(&first, at, sizeof first);
    std::memcpy(&last, at + size - 4, sizeof last);
    high = first | last;
  } else {
    for (size_t from = 0; from < size; ++from) high |= static_cast<unsigned char>(at[from]);
  }
  return (high & 0x8080808080808080U) == 0;
}

bool readNumber(std::string_view text, double* value) {
  if (text.empty()) return false;
  if (isPlainDecimal(text)) {
    const char* end = text.data() + text.size();
    if (auto [stop, error] = std::from_chars(text.data(), end, *value);
        error == std::errc() && stop == end) {
      return std::isfinite(*value);
    }
  }
  // strtod wants a terminated string: short values are copied onto the stack.
  char shortCopy[64];
  std::string longCopy;
  const char* start = shortCopy;
  if (text.size() < sizeof shortCopy) {
    std::memcpy(shortCopy, text.data(), text.size());
    shortCopy[text.size()] = '\0';
  } else {
    longCopy.assign(text);
    start = longCopy.c_str();
  }
  char* end = nullptr;
  *value = std::strtod(start, &end);
  return end == start + text.size() && std::isfinite(*value);
}

const std::vector<QualityRule>& qualityRules() {
  static const std::vector<QualityRule> kRules = {
      {"duplicate", checkDuplicate},      {"retyped", checkRetyped},
      {"not-a-date", checkDates},         {"not-a-number", checkNumber},
      {"age-mismatch", checkAgeMismatch}, {"shifted", checkShifted},
      {"run-date", checkRunDate},         {"replaced-letter", checkReplacedLetter},
      {"unnormalised", checkNormalised},
  };
  return kRules;
}

}  // namespace survey
