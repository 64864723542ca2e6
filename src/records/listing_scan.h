// Finding the bytes that a listing cannot show as they are.
#pragma once

#include <cstddef>

#include "console/characters.h"

namespace survey {

// Whether the listing may show `c` other than as itself: in caret notation, or, for a carriage
// return before a line end, not at all; or, for the lead byte of a C1 control, with the byte
// after it as "<U+009B>".
constexpr bool needsAttention(int c) { return showsAsCaret(c) || c == kC1Lead; }

// The offset of the first byte of `data` that needs attention, or `size` when none does.
// Record files are nearly all plain text, so this is the listing's hot loop, on the byte-set
// scan (byte_scan.h).
size_t findAttentionByte(const char* data, size_t size);

// Copies `data` to `out` up to the first byte that needs attention, except that a carriage
// return directly followed by a line feed is dropped, and a lead byte 0xC2 followed by a byte
// that is no C1 control's second is copied, and the copy goes on. Returns the count of bytes of
// `data` taken; `*written` is the count written to `out`. May write anything to the rest of
// out[0, size).
size_t copyShownText(const char* data, size_t size, char* out, size_t* written);

}  // namespace survey
