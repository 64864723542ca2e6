// Checks for the fuzz harnesses: a failed check prints what broke and aborts, which libFuzzer
// reports as a crash and saves the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#define FUZZ_CHECK(condition, what)                                                          \
  do {                                                                                       \
    if (!(condition)) {                                                                      \
      std::fprintf(stderr, "%s:%d: check failed: %s (%s)\n", __FILE__, __LINE__, #condition, \
                   std::string(what).c_str());                                               \
      std::abort();                                                                          \
    }                                                                                        \
  } while (false)

namespace survey::fuzzing {

// How a harness hands its input on: the first byte picks the read size (1 to 16 bytes per
// read, or everything at once), so buffers refill at every possible place, and a flag for
// the harness; the other bytes are the input.
struct Feed {
  size_t chunk;
  bool flag;
  std::string_view bytes;
};

inline Feed splitFeed(const uint8_t* data, size_t size) {
  if (size == 0) return Feed{size_t{1} << 20, false, {}};
  size_t chunk = data[0] & 0x80 ? size_t{1} << 20 : size_t{1} + (data[0] & 0x0f);
  return Feed{chunk, (data[0] & 0x40) != 0,
              std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1)};
}

}  // namespace survey::fuzzing
