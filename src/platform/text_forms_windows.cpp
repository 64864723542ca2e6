// Normal forms through the Windows normalization calls.
#include <windows.h>

#include "platform/text_forms.h"
#include "platform/unicode_text.h"

namespace survey {

namespace {

// The UTF-16 of valid UTF-8 only: the converter would otherwise put U+FFFD in silently.
bool validUnits(std::string_view utf8, std::u16string* units) {
  Utf8ToUtf16 converter;
  converter.convert(utf8, units);
  converter.finish(units);
  return toUtf8(*units) == utf8;
}

bool normalized(NORM_FORM form, const std::u16string& units, std::u16string* out) {
  if (units.empty()) {
    out->clear();
    return true;
  }
  const auto* source = reinterpret_cast<LPCWSTR>(units.data());
  const int length = static_cast<int>(units.size());
  int guess = NormalizeString(form, source, length, nullptr, 0);
  for (int attempt = 0; attempt < 4 && guess > 0; ++attempt) {
    out->assign(static_cast<size_t>(guess), u'\0');
    const int made =
        NormalizeString(form, source, length, reinterpret_cast<LPWSTR>(out->data()), guess);
    if (made > 0) {
      out->resize(static_cast<size_t>(made));
      return true;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
    guess = -made;
  }
  return false;
}

bool isCombiningMark(char16_t unit) {
  return (unit >= 0x0300 && unit <= 0x036F) || (unit >= 0x1AB0 && unit <= 0x1AFF) ||
         (unit >= 0x1DC0 && unit <= 0x1DFF) || (unit >= 0x20D0 && unit <= 0x20FF) ||
         (unit >= 0xFE20 && unit <= 0xFE2F);
}

}  // namespace

bool toNfc(std::string_view utf8, std::string* nfc) {
  std::u16string units, composed;
  if (!validUnits(utf8, &units) || !normalized(NormalizationC, units, &composed)) return false;
  *nfc = toUtf8(composed);
  return true;
}

bool foldedKey(std::string_view utf8, std::string* key) {
  std::u16string units, decomposed, kept;
  if (!validUnits(utf8, &units) || !normalized(NormalizationKD, units, &decomposed)) return false;
  for (char16_t unit : decomposed) {
    if (!isCombiningMark(unit)) kept.push_back(unit);
  }
  if (!kept.empty()) {
    CharLowerBuffW(reinterpret_cast<LPWSTR>(kept.data()), static_cast<DWORD>(kept.size()));
  }
  *key = toUtf8(kept);
  return true;
}

}  // namespace survey
