// Normal forms through libutf8proc.
#include <utf8proc.h>

#include <cstdlib>
#include <memory>

#include "platform/text_forms.h"

namespace survey {

bool toNfc(std::string_view utf8, std::string* nfc) {
  utf8proc_uint8_t* composed = nullptr;
  const utf8proc_ssize_t size =
      utf8proc_map(reinterpret_cast<const utf8proc_uint8_t*>(utf8.data()),
                   static_cast<utf8proc_ssize_t>(utf8.size()), &composed,
                   static_cast<utf8proc_option_t>(UTF8PROC_STABLE | UTF8PROC_COMPOSE));
  const std::unique_ptr<utf8proc_uint8_t, decltype(&std::free)> owned(composed, &std::free);
  if (size < 0) return false;
  nfc->assign(reinterpret_cast<const char*>(composed), static_cast<size_t>(size));
  return true;
}

}  // namespace survey
