// What the program writes in a record's fields, byte by byte: words, figures, dates and times.
#pragma once

#include <string_view>

#include "console/characters.h"

namespace survey {

// What a byte means in a field: it ends the field; CSV or JSON may quote or escape it; it is
// not ASCII.
enum ByteClass : unsigned char { kEndsField = 1, kNotPlain = 2, kNotAscii = 4 };

struct ByteClasses {
  unsigned char of[256] = {};
  constexpr ByteClasses() {
    for (int byte = 0; byte < 256; ++byte) {
      char c = static_cast<char>(byte);
      if (isWhiteSpace(c)) of[byte] |= kEndsField;
      if (byte < 0x20 || c == '"' || c == ',' || c == '\\') of[byte] |= kNotPlain;
      if (byte >= 0x80) of[byte] |= kNotAscii;
    }
  }
  unsigned char operator[](char c) const { return of[static_cast<unsigned char>(c)]; }
};
inline constexpr ByteClasses kByteClasses;

// Whether no byte of `text` is one that CSV or JSON may quote or escape.
inline bool isPlainText(std::string_view text) {
  for (char c : text) {
    if (kByteClasses[c] & kNotPlain) return false;
  }
  return true;
}

// A whole number as std::to_string writes a non-negative one: digits, no leading zero.
bool parseWhole(std::string_view text, int* value);

// "hh:mm AM" or "hh:mm PM" on the 12-hour clock, as the start time shows it; `*hour` is on the
// 24-hour clock.
bool parseTwelveHourTime(std::string_view text, int* hour, int* minute);

// Whether the figure is what formatReal writes for some number.
bool isFormattedReal(std::string_view text);

// Days in `month` (0 to 11) of `year`.
int daysInMonth(int month, int year);

}  // namespace survey
