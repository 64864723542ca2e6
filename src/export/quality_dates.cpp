// Dates as people write them, and days counted from 1970.
#include <array>
#include <optional>

#include "export/quality_rules.h"
#include "export/quality_text.h"

namespace survey {
namespace {

constexpr std::string_view kMonthNames[] = {"january",   "february", "march",    "april",
                                            "may",       "june",     "july",     "august",
                                            "september", "october",  "november", "december"};

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

// A date of three runs of one to four digits with -, / or . between, read without splitting
// it: what the general reading below gives for such a date, which has no month's name.
std::optional<std::optional<CalendarDay>> readNumericDate(std::string_view text) {
  int values[3] = {};
  size_t sizes[3] = {};
  size_t part = 0;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      if (++sizes[part] > 4) return std::nullopt;
      values[part] = values[part] * 10 + (c - '0');
    } else if ((c == '-' || c == '/' || c == '.') && sizes[part] != 0 && part < 2) {
      ++part;
    } else {
      return std::nullopt;
    }
  }
  if (part != 2 || sizes[2] == 0) return std::nullopt;
  const auto small = [&](size_t at) { return sizes[at] <= 2 ? values[at] : 0; };
  if (sizes[0] == 4) return dayOf(values[0], small(1), small(2));
  if (sizes[2] != 4 && sizes[2] != 2) return std::optional<CalendarDay>();
  const int year = sizes[2] == 2 ? -1 - values[2] : values[2];
  if (auto found = dayOf(year, small(1), small(0))) return found;
  return dayOf(year, small(0), small(1));
}

}  // namespace

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

std::optional<CalendarDay> readDate(std::string_view text) {
  // YYYY-MM-DD, the form the program writes its run dates in, read without splitting.
  if (text.size() == 10 && text[4] == '-' && text[7] == '-') {
    const std::string_view year = text.substr(0, 4), month = text.substr(5, 2);
    const std::string_view day = text.substr(8, 2);
    if (allDigits(year) && allDigits(month) && allDigits(day)) {
      return validDay(digitsValue(year), digitsValue(month), digitsValue(day));
    }
  }
  if (auto numeric = readNumericDate(text)) return *numeric;
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

}  // namespace survey
