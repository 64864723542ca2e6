// The real-number reader against its rules: sign, digits, point, exponent, at most 27
// characters, a finite value as the C library reads that text, the rest left; anything else
// reads as 0 and drops its word.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace survey;
  using namespace survey::fuzzing;
  Feed feed = splitFeed(data, size);
  ReaderPair pair(feed);
  const bool wordAfterEach = feed.flag;
  for (;;) {
    double value = -7;
    double expected = -7;
    std::string rejected;
    ReadResult result = pair.reader.readReal(&value, &rejected);
    FUZZ_CHECK(result == pair.reference.real(&expected), "real read result");
    if (result == ReadResult::kEnd) break;
    FUZZ_CHECK(std::memcmp(&value, &expected, sizeof value) == 0,
               "value read from '" + std::string(pair.reference.lastItem()) + "'");
    FUZZ_CHECK(std::isfinite(value), "a finite value");
    if (result == ReadResult::kValue) {
      FUZZ_CHECK(pair.reference.lastItem().size() <= InputReader::kRealNumberLimit,
                 "27 characters");
    } else {
      FUZZ_CHECK(value == 0, "no number reads as 0");
      checkRejected(rejected, pair.reference.lastItem());
    }
    if (wordAfterEach && !checkNextWord(pair)) break;
  }
  return 0;
}
