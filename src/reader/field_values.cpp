// Checking field texts against what the program's own formatting writes.
#include "reader/field_values.h"

#include <charconv>
#include <cstdlib>
#include <cstring>

#include "console/number_format.h"

namespace survey {
namespace {

bool parseTwoDigits(std::string_view text, int* value) {
  if (text.size() != 2 || !isDigit(text[0]) || !isDigit(text[1])) return false;
  *value = (text[0] - '0') * 10 + (text[1] - '0');
  return true;
}

// Whether the text is a decimal number in the plain notation of "%.6g": an optional minus,
// a whole part without leading zeros, an optional fraction without trailing zeros, at most six
// significant digits, and a size that "%.6g" does not write with an exponent (1e-4 up to 1e6).
// Such a text is what formatReal writes for the number it reads as.
bool isPlainSixDigitNumber(std::string_view text) {
  size_t at = !text.empty() && text[0] == '-' ? 1 : 0;
  size_t wholeFrom = at;
  while (at < text.size() && isDigit(text[at])) ++at;
  size_t wholeDigits = at - wholeFrom;
  if (wholeDigits == 0 || (text[wholeFrom] == '0' && wholeDigits > 1)) return false;
  size_t fractionDigits = 0;
  size_t fractionZeros = 0;  // before its first other digit
  if (at < text.size()) {
    if (text[at] != '.') return false;
    size_t fractionFrom = ++at;
    while (at < text.size() && isDigit(text[at])) ++at;
    fractionDigits = at - fractionFrom;
    if (at != text.size() || fractionDigits == 0 || text.back() == '0') return false;
    while (text[fractionFrom + fractionZeros] == '0') ++fractionZeros;
  }
  if (text[wholeFrom] != '0') return wholeDigits + fractionDigits <= 6;
  return fractionDigits == 0 || (fractionZeros <= 3 && fractionDigits - fractionZeros <= 6);
}

bool isLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

}  // namespace

bool parseWhole(std::string_view text, int* value) {
  if (text.empty() || text.size() > 9 || !isDigit(text[0]) || (text[0] == '0' && text.size() > 1)) {
    return false;
  }
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return error == std::errc() && end == text.data() + text.size();
}

bool parseTwelveHourTime(std::string_view text, int* hour, int* minute) {
  if (text.size() != 8 || !parseTwoDigits(text.substr(0, 2), hour) || text[2] != ':' ||
      !parseTwoDigits(text.substr(3, 2), minute) ||
      (text.substr(5) != " AM" && text.substr(5) != " PM") || *hour < 1 || *hour > 12 ||
      *minute > 59) {
    return false;
  }
  *hour = *hour % 12 + (text[6] == 'P' ? 12 : 0);
  return true;
}

// The plain notation above, or text that reads back as itself (exponents, "inf", "nan").
bool isFormattedReal(std::string_view text) {
  if (isPlainSixDigitNumber(text)) return true;
  char buffer[64];
  if (text.empty() || text.size() >= sizeof buffer) return false;
  std::memcpy(buffer, text.data(), text.size());
  buffer[text.size()] = '\0';
  char* end = nullptr;
  double value = std::strtod(buffer, &end);
  return end == buffer + text.size() && formatReal(value) == text;
}

int daysInMonth(int month, int year) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 1 && isLeapYear(year) ? 29 : kDays[month];
}

}  // namespace survey
