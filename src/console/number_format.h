// Number output: real figures in six significant digits with a three-digit exponent.
#pragma once

#include <string>

namespace survey {

// Like printf's "%.6g", with the exponent widened to at least three digits ("1e+006");
// infinite and not-a-number figures print as "inf", "-inf" and "nan".
std::string formatReal(double value);

}  // namespace survey
