// Normal forms through the Windows normalization calls.
#include <windows.h>

#include "platform/text_forms.h"
#include "platform/unicode_text.h"

namespace survey {

bool toNfc(std::string_view utf8, std::string* nfc) {
  // The UTF-8 must be valid: the converter would otherwise put U+FFFD in silently.
  std::u16string units;
  Utf8ToUtf16 converter;
  converter.convert(utf8, &units);
  converter.finish(&units);
  if (toUtf8(units) != utf8) return false;
  if (units.empty()) {
    nfc->clear();
    return true;
  }
  const auto* source = reinterpret_cast<LPCWSTR>(units.data());
  const int length = static_cast<int>(units.size());
  int guess = NormalizeString(NormalizationC, source, length, nullptr, 0);
  for (int attempt = 0; attempt < 4 && guess > 0; ++attempt) {
    std::u16string composed(static_cast<size_t>(guess), u'\0');
    const int made = NormalizeString(NormalizationC, source, length,
                                     reinterpret_cast<LPWSTR>(composed.data()), guess);
    if (made > 0) {
      composed.resize(static_cast<size_t>(made));
      *nfc = toUtf8(composed);
      return true;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
    guess = -made;
  }
  return false;
}

}  // namespace survey
