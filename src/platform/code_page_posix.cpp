// The bytes of a code page through the C library's iconv.
#include <iconv.h>

#include <cstdint>

#include "platform/code_page.h"

namespace survey {

bool systemByteTable(unsigned number, ByteTable* table) {
  const std::string name = "CP" + std::to_string(number);
  iconv_t descriptor = iconv_open("UTF-8", name.c_str());
  // iconv_open fails with (iconv_t)-1; every pointer bit set is the same value.
  if (reinterpret_cast<intptr_t>(descriptor) == -1) return false;
  for (size_t byte = 0; byte < table->size(); ++byte) {
    char in = static_cast<char>(byte);
    char* from = &in;
    size_t left = 1;
    char converted[16];
    char* to = converted;
    size_t room = sizeof converted;
    iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
    // The second call lets out what a converter that composes accents keeps back.
    const bool ok = iconv(descriptor, &from, &left, &to, &room) != static_cast<size_t>(-1) &&
                    iconv(descriptor, nullptr, nullptr, &to, &room) != static_cast<size_t>(-1);
    (*table)[byte].assign(converted, ok ? sizeof converted - room : 0);
  }
  iconv_close(descriptor);
  return true;
}

}  // namespace survey
