// Finding the end of a field, eight bytes at a time.
#pragma once

#include <cstdint>
#include <string_view>

#include "export/field_values.h"

namespace survey {

struct FieldScan {
  size_t end;             // the first white space byte at or after the start, or the size
  unsigned char classes;  // kNotPlain and kNotAscii of the bytes before `end`
};

namespace scan_detail {

constexpr uint64_t kOnes = 0x0101010101010101u;
constexpr uint64_t kHigh = kOnes * 0x80;
constexpr uint64_t kLow = kOnes * 0x7F;
constexpr uint64_t kIndexes = 0x0001020304050607u;

// Byte i of the text is byte i of the word from its low end, whatever the machine's byte order.
inline uint64_t loadLittleEndian(const char* at) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(at);
  return uint64_t{p[0]} | uint64_t{p[1]} << 8 | uint64_t{p[2]} << 16 | uint64_t{p[3]} << 24 |
         uint64_t{p[4]} << 32 | uint64_t{p[5]} << 40 | uint64_t{p[6]} << 48 | uint64_t{p[7]} << 56;
}

// The high bit of every byte of `x` that may need a look of its own in a field: white space
// and control bytes, '"', ',', '\\', bytes from 0x80, and a few more (from '!' to '+'), which
// are then looked up in kByteClasses. No byte carries into the next.
inline uint64_t bytesToLookUp(uint64_t x) {
  uint64_t belowHyphen = ~((x & kLow) + kOnes * (0x80 - '-')) & kHigh;  // low 7 bits below '-'
  uint64_t z = x ^ (kOnes * '\\');
  uint64_t backslash = ~(((z & kLow) + kLow) | z) & kHigh;
  return belowHyphen | backslash | (x & kHigh);
}

}  // namespace scan_detail

// Scans from `from` to the first white space byte; `classes` as kByteClasses gives them for
// the bytes before it.
inline FieldScan scanField(std::string_view bytes, size_t from) {
  using namespace scan_detail;
  unsigned char classes = 0;
  size_t at = from;
  while (at + 8 <= bytes.size()) {
    uint64_t x = loadLittleEndian(bytes.data() + at);
    uint64_t lookUp = bytesToLookUp(x);
    if (lookUp == 0) {
      at += 8;
      continue;
    }
    // The first byte to look up: its bit alone, times a word whose byte i is 7 - i, puts its
    // byte index into the top byte.
    unsigned index = static_cast<unsigned>(((lookUp & (~lookUp + 1)) >> 7) * kIndexes >> 56);
    at += index;
    unsigned char byteClass = kByteClasses.of[(x >> (index * 8)) & 0xFF];
    if (byteClass & kEndsField) return {at, classes};
    classes |= byteClass;
    ++at;
  }
  for (; at < bytes.size(); ++at) {
    unsigned char byteClass = kByteClasses[bytes[at]];
    if (byteClass & kEndsField) break;
    classes |= byteClass;
  }
  return {at, classes};
}

}  // namespace survey
