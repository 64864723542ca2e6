// Code pages through the system's MultiByteToWideChar, by number.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <string_view>

#include "platform/code_page.h"

namespace survey {
namespace {

class WindowsCodePage : public CodePage {
 public:
  explicit WindowsCodePage(UINT number) : number_(number) {}

  bool toUtf8(std::string_view bytes, std::string* out) override {
    if (bytes.empty()) return true;
    const int size = static_cast<int>(bytes.size());
    std::wstring wide(bytes.size() * 2, L'\0');
    int units = MultiByteToWideChar(number_, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(),
                                    static_cast<int>(wide.size()));
    if (units <= 0) return false;
    int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return false;
    const size_t kept = out->size();
    out->resize(kept + static_cast<size_t>(length));
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, out->data() + kept, length, nullptr,
                        nullptr);
    return true;
  }

 private:
  UINT number_;
};

// "cp850", "windows-1252", "ibm437" or the bare number; 0 for anything else.
UINT codePageNumber(std::string name) {
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  std::string_view digits = name;
  for (std::string_view prefix : {"cp", "windows-", "ibm"}) {
    if (digits.substr(0, prefix.size()) == prefix) digits.remove_prefix(prefix.size());
  }
  if (digits.empty() || digits.size() > 5) return 0;
  UINT number = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return 0;
    number = number * 10 + static_cast<UINT>(c - '0');
  }
  return number;
}

}  // namespace

std::unique_ptr<CodePage> openCodePage(const std::string& name) {
  UINT number = codePageNumber(name);
  if (number == 0 || number == CP_UTF8 || !IsValidCodePage(number)) return nullptr;
  return std::make_unique<WindowsCodePage>(number);
}

}  // namespace survey
