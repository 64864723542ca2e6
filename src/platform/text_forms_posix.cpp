// Normal forms through libutf8proc.
#include <utf8proc.h>

#include <cstdlib>
#include <memory>

#include "platform/text_forms.h"

namespace survey {

namespace {

bool mapped(std::string_view utf8, int options, std::string* out) {
  utf8proc_uint8_t* result = nullptr;
  const utf8proc_ssize_t size = utf8proc_map(reinterpret_cast<const utf8proc_uint8_t*>(utf8.data()),
                                             static_cast<utf8proc_ssize_t>(utf8.size()), &result,
                                             static_cast<utf8proc_option_t>(options));
  const std::unique_ptr<utf8proc_uint8_t, decltype(&std::free)> owned(result, &std::free);
  if (size < 0) return false;
  out->assign(reinterpret_cast<const char*>(result), static_cast<size_t>(size));
  return true;
}

bool isAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace

bool toNfc(std::string_view utf8, std::string* nfc) {
  return mapped(utf8, UTF8PROC_STABLE | UTF8PROC_COMPOSE, nfc);
}

bool foldedKey(std::string_view utf8, std::string* key) {
  // ASCII, most answers, has no accents nor other forms: its key is its lower case, got without
  // the library's decoding into code points.
  if (isAscii(utf8)) {
    key->assign(utf8);
    for (char& c : *key) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return true;
  }
  return mapped(
      utf8,
      UTF8PROC_STABLE | UTF8PROC_COMPOSE | UTF8PROC_COMPAT | UTF8PROC_CASEFOLD | UTF8PROC_STRIPMARK,
      key);
}

}  // namespace survey
