// The record's identity, hashed with XXH3 compiled in from its header.
#include "reader/record_id.h"

#include <cstring>

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace survey {

uint64_t recordIdOf(const std::string_view* values, size_t count, std::string* scratch) {
  size_t total = 0;
  for (size_t i = 0; i < count; ++i) total += 4 + values[i].size();
  if (scratch->size() < total) scratch->resize(total);
  char* to = scratch->data();
  for (size_t i = 0; i < count; ++i) {
    const size_t size = values[i].size();
    for (size_t byte = 0; byte < 4; ++byte) to[byte] = static_cast<char>(size >> (8 * byte) & 0xFF);
    std::memcpy(to + 4, values[i].data(), size);
    to += 4 + size;
  }
  return XXH3_64bits(scratch->data(), total);
}

void writeRecordId(uint64_t id, char* to) {
  static const char kHex[] = "0123456789abcdef";
  for (int digit = 15; digit >= 0; --digit, id >>= 4) to[digit] = kHex[id & 0xF];
}

}  // namespace survey
