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

}  // namespace

bool toNfc(std::string_view utf8, std::string* nfc) {
  return mapped(utf8, UTF8PROC_STABLE | UTF8PROC_COMPOSE, nfc);
}

bool foldedKey(std::string_view utf8, std::string* key) {
  return mapped(
      utf8,
      UTF8PROC_STABLE | UTF8PROC_COMPOSE | UTF8PROC_COMPAT | UTF8PROC_CASEFOLD | UTF8PROC_STRIPMARK,
      key);
}

}  // namespace survey
