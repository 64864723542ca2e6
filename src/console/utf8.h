// Checking UTF-8: typed answers in notices, record answers, JSON text.
#pragma once

#include <cstddef>
#include <string_view>

namespace survey {

// The length of the well-formed UTF-8 sequence at `text[at]` (1 for ASCII), or 0 when the
// bytes there are not one (a stray continuation byte, an overlong form, a surrogate, a code
// point beyond U+10FFFF or a sequence cut off by the end of `text`).
size_t utf8SequenceLength(std::string_view text, size_t at);

bool isValidUtf8(std::string_view text);

}  // namespace survey
