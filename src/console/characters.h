// The byte classes that typed input and the records built from it share.
#pragma once

namespace survey {

// White space ends a typed word (blank, tab, line feed, vertical tab, form feed, carriage
// return), so no answer holds one.
constexpr bool isWhiteSpace(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

constexpr bool isDigit(int c) { return c >= '0' && c <= '9'; }

}  // namespace survey
