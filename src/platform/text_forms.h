// Unicode normal forms of UTF-8 text, through the system's Unicode library.
#pragma once

#include <string>
#include <string_view>

namespace survey {

// The canonical composition (NFC) of `utf8` into `*nfc`: "e" followed by a combining acute
// becomes "é". False, leaving `*nfc` unspecified, when `utf8` is not valid UTF-8.
bool toNfc(std::string_view utf8, std::string* nfc);

// A key under which spellings that differ only in case, accents or Unicode form are alike:
// "José", "JOSE" and "jose" with a combining accent all give "jose". False, leaving `*key`
// unspecified, when `utf8` is not valid UTF-8.
bool foldedKey(std::string_view utf8, std::string* key);

}  // namespace survey
