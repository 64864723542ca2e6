// Comparing and copying the short texts between and in a record's fields in place, a word at
// a time, rather than by a library call each.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace survey {
namespace short_bytes_detail {

inline uint64_t word(const char* at) {
  uint64_t x;
  std::memcpy(&x, at, sizeof x);
  return x;
}

}  // namespace short_bytes_detail

// Whether `a` and `b` hold the same `size` bytes.
inline bool sameBytes(const char* a, const char* b, size_t size) {
  using short_bytes_detail::word;
  if (size > 128) return std::memcmp(a, b, size) == 0;
  if (size >= 16) {
    uint64_t differ = 0;
    for (size_t at = 0; at + 16 < size; at += 16) {
      differ |= (word(a + at) ^ word(b + at)) | (word(a + at + 8) ^ word(b + at + 8));
    }
    differ |= word(a + size - 16) ^ word(b + size - 16);
    return (differ | (word(a + size - 8) ^ word(b + size - 8))) == 0;
  }
  if (size >= 8) return ((word(a) ^ word(b)) | (word(a + size - 8) ^ word(b + size - 8))) == 0;
  for (size_t at = 0; at < size; ++at) {
    if (a[at] != b[at]) return false;
  }
  return true;
}

inline bool sameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && sameBytes(a.data(), b.data(), a.size());
}

// Copies `size` bytes from `from` to `to` (which do not overlap); returns the end at `to`.
inline char* copyBytes(const char* from, size_t size, char* to) {
  using short_bytes_detail::word;
  if (size > 32) {
    std::memcpy(to, from, size);
  } else if (size >= 8) {
    for (size_t at = 0; at + 8 < size; at += 8) {
      uint64_t x = word(from + at);
      std::memcpy(to + at, &x, sizeof x);
    }
    uint64_t last = word(from + size - 8);
    std::memcpy(to + size - 8, &last, sizeof last);
  } else if (size >= 4) {
    uint32_t first, last;
    std::memcpy(&first, from, sizeof first);
    std::memcpy(&last, from + size - 4, sizeof last);
    std::memcpy(to, &first, sizeof first);
    std::memcpy(to + size - 4, &last, sizeof last);
  } else if (size > 0) {
    to[0] = from[0];
    to[size / 2] = from[size / 2];
    to[size - 1] = from[size - 1];
  }
  return to + size;
}

}  // namespace survey
