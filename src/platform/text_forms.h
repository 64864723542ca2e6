// Unicode normal forms of UTF-8 text, through the system's Unicode library.
#pragma once

#include <string>
#include <string_view>

namespace survey {

// The canonical composition (NFC) of `utf8` into `*nfc`: "e" followed by a combining acute
// becomes "é". False, leaving `*nfc` unspecified, when `utf8` is not valid UTF-8.
bool toNfc(std::string_view utf8, std::string* nfc);

}  // namespace survey
