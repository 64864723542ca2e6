// The bytes of a code page through the system's MultiByteToWideChar.
#include <windows.h>

#include "platform/code_page.h"

namespace survey {

bool systemByteTable(unsigned number, ByteTable* table) {
  if (!IsValidCodePage(number)) return false;
  for (size_t byte = 0; byte < table->size(); ++byte) {
    const char in = static_cast<char>(byte);
    wchar_t wide[4];
    const int units = MultiByteToWideChar(number, MB_ERR_INVALID_CHARS, &in, 1, wide, 4);
    char converted[16];
    const int length = units <= 0 ? 0
                                  : WideCharToMultiByte(CP_UTF8, 0, wide, units, converted,
                                                        sizeof converted, nullptr, nullptr);
    (*table)[byte].assign(converted, length > 0 ? static_cast<size_t>(length) : 0);
  }
  return true;
}

}  // namespace survey
