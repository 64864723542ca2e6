// Decoding UTF-8 (RFC 3629), the one place that knows its byte patterns: typed answers,
// record answers, JSON text and the Windows console's UTF-16 all read it from here.
#pragma once

#include <cstddef>
#include <string_view>

namespace survey {

// What a byte says as the first of a UTF-8 sequence: how many continuation bytes follow it
// (-1 when it starts none: a continuation byte, C0, C1 or F5 and up), the bits it carries, and
// the range its first continuation byte must fall in. That range is narrower after E0, ED, F0
// and F4, where the rest would give an overlong form, a surrogate or a code point beyond
// U+10FFFF; every later continuation byte is 80 to BF.
struct Utf8Lead {
  int continuations = -1;
  char32_t bits = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
};
Utf8Lead utf8Lead(unsigned char byte);

// The length of the well-formed UTF-8 sequence at `text[at]` (1 for ASCII), or 0 when the
// bytes there are not one (a stray continuation byte, an overlong form, a surrogate, a code
// point beyond U+10FFFF or a sequence cut off by the end of `text`).
size_t utf8SequenceLength(std::string_view text, size_t at);

bool isValidUtf8(std::string_view text);

// The length of `text` without a character cut short at its end: a lead byte followed by
// fewer continuation bytes than its bit pattern announces is dropped with them.
size_t wholeCharactersLength(std::string_view text);

}  // namespace survey
