// The record's identity, hashed with XXH3 compiled in from its header.
#include "reader/record_id.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace survey {

uint64_t recordIdOf(const std::string_view* values, size_t count, std::string* scratch) {
  scratch->clear();
  for (size_t i = 0; i < count; ++i) {
    const uint32_t size = static_cast<uint32_t>(values[i].size());
    const char length[4] = {static_cast<char>(size & 0xFF), static_cast<char>((size >> 8) & 0xFF),
                            static_cast<char>((size >> 16) & 0xFF),
                            static_cast<char>((size >> 24) & 0xFF)};
    scratch->append(length, sizeof length);
    scratch->append(values[i]);
  }
  return XXH3_64bits(scratch->data(), scratch->size());
}

void writeRecordId(uint64_t id, char* to) {
  static const char kHex[] = "0123456789abcdef";
  for (int digit = 15; digit >= 0; --digit, id >>= 4) to[digit] = kHex[id & 0xF];
}

}  // namespace survey
