// The data-quality rules, each a function of one record and what the check knows before it.
#include "export/quality_rules.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "export/quality_text.h"
#include "platform/text_forms.h"

namespace survey {
namespace {

constexpr std::string_view kMissingLike[] = {"", "na", "n/a", "none", "-"};
constexpr std::string_view kMeridiems[] = {"am", "pm", "a.m.", "p.m.", "a.m", "p.m"};
// The columns of names, where a console that could not type a letter leaves "?" or U+FFFD.
constexpr size_t kNameColumns[] = {7, 8, 14};  // firstName, surname, coordinatorName
constexpr size_t kEntryDateColumn = 5, kDateOfBirthColumn = 10, kAgeColumn = 11;
constexpr size_t kAnotherYearAgeColumn = 26, kSumColumn = 27;
constexpr size_t kFirstAnswerColumn = 5, kLastAnswerColumn = 25;
constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

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

// The answer's own part of each rule: whether the rule may find something in it.

bool notADate(size_t column, std::string_view value) {
  return !isMissingLike(value) && !isShiftedWord(column, value) && !readDate(value);
}

bool notANumber(std::string_view value) {
  if (isMissingLike(value)) return false;
  if (value[0] == '+' || value[0] == '-') value.remove_prefix(1);
  return !allDigits(value);
}

// A word where a date belongs, or AM/PM that may be the rest of a time before it.
bool mayBeShifted(size_t column, std::string_view value) {
  return isShiftedWord(column, value) || (column > kFirstAnswerColumn && isMeridiem(value));
}

bool hasReplacedLetter(std::string_view value) {
  return value.find('?') != std::string_view::npos ||
         value.find(kReplacementCharacter) != std::string_view::npos;
}

// Whether `value` is valid UTF-8 not in NFC; `nfc` is then its NFC form.
bool unnormalised(std::string_view value, std::string* nfc) {
  if (isAscii(value)) return false;  // ASCII is in every normal form
  return toNfc(value, nfc) && *nfc != value;
}

bool isNameColumn(size_t column) {
  return std::find(std::begin(kNameColumns), std::end(kNameColumns), column) !=
         std::end(kNameColumns);
}

bool quiet(const RuleContext& context, size_t column) {
  return ((context.quietColumns >> column) & 1U) != 0;
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

void checkDates(const RecordRow& row, const RuleContext& context, std::vector<Finding>* found) {
  for (size_t column : {kEntryDateColumn, kDateOfBirthColumn}) {
    const std::string_view value = row.fields[column];
    if (quiet(context, column) || !notADate(column, value)) continue;
    add(found, column, "not-a-date", value, "no common date form reads it");
  }
}

void checkNumber(const RecordRow& row, const RuleContext& context, std::vector<Finding>* found) {
  if (quiet(context, kAgeColumn) || !notANumber(row.fields[kAgeColumn])) return;
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

void checkShifted(const RecordRow& row, const RuleContext& context, std::vector<Finding>* found) {
  for (size_t column = kFirstAnswerColumn; column <= kLastAnswerColumn; ++column) {
    if (quiet(context, column)) continue;
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

void checkReplacedLetter(const RecordRow& row, const RuleContext& context,
                         std::vector<Finding>* found) {
  for (size_t column : kNameColumns) {
    const std::string_view value = row.fields[column];
    if (quiet(context, column) || !hasReplacedLetter(value)) continue;
    add(found, column, "replaced-letter", value,
        "a letter the console could not type became ? or U+FFFD");
  }
}

void checkNormalised(const RecordRow& row, const RuleContext& context,
                     std::vector<Finding>* found) {
  std::string nfc;
  for (size_t column = kFirstAnswerColumn; column <= kLastAnswerColumn; ++column) {
    const std::string_view value = row.fields[column];
    if (quiet(context, column) || !unnormalised(value, &nfc)) continue;
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

bool quietAnswer(size_t column, std::string_view value) {
  if ((column == kEntryDateColumn || column == kDateOfBirthColumn) && notADate(column, value)) {
    return false;
  }
  if (column == kAgeColumn && notANumber(value)) return false;
  if (isNameColumn(column) && hasReplacedLetter(value)) return false;
  std::string nfc;
  return !mayBeShifted(column, value) && !unnormalised(value, &nfc);
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
