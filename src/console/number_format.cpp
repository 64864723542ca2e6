// formatReal: the C library's general notation, with the exponent widened.
#include "console/number_format.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace survey {

std::string formatReal(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  char text[32];
  int length = std::snprintf(text, sizeof text, "%.6g", value);
  std::string out(text, static_cast<size_t>(length));
  size_t e = out.find('e');
  if (e != std::string::npos) {
    size_t digitsAt = e + 2;  // after the letter and the sign
    size_t digitCount = out.size() - digitsAt;
    if (digitCount < 3) out.insert(digitsAt, 3 - digitCount, '0');
  }
  return out;
}

}  // namespace survey
