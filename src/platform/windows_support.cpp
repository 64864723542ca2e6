// Error texts and UTF-8 conversion for the Windows platform files.
#include "platform/windows_support.h"

#include <windows.h>

#include <cstring>

#include "platform/unicode_text.h"

namespace survey {

Status errnoStatus(int error) { return Status::error(std::strerror(error)); }

Status lastErrorStatus() {
  wchar_t text[256] = {};
  DWORD code = GetLastError();
  // The wide form: the system's text in the user's language, whatever the ANSI code page.
  DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                code, 0, text, sizeof text / sizeof *text, nullptr);
  while (length > 0 && (text[length - 1] == L'\n' || text[length - 1] == L'\r')) --length;
  return Status::error(length > 0 ? narrow(std::wstring_view(text, length))
                                  : "system error " + std::to_string(code));
}

std::wstring widen(std::string_view utf8) {
  std::u16string units = toUtf16(utf8);
  return std::wstring(units.begin(), units.end());
}

std::string narrow(std::wstring_view wide) {
  return toUtf8(std::u16string(wide.begin(), wide.end()));
}

}  // namespace survey
