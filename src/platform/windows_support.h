// What the Windows platform files share: the reason of a failed call, and text converted
// between UTF-8 (the program's) and UTF-16 (the system's wide calls).
#pragma once

#include <string>
#include <string_view>

#include "platform/env.h"

namespace survey {

// The text of the C library's error number `error`.
Status errnoStatus(int error);
// The system's text for GetLastError().
Status lastErrorStatus();

// UTF-8 to UTF-16 and back; a byte or unit that is not valid becomes U+FFFD.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view wide);

}  // namespace survey
