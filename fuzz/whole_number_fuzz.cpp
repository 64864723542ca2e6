// The whole-number reader against its rules: sign, hex, octal or decimal, at most 15
// characters, the value the C library gives that text clamped to 32 bits, the rest left.
#include <cstdint>

#include "reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace survey;
  using namespace survey::fuzzing;
  Feed feed = splitFeed(data, size);
  ReaderPair pair(feed);
  // With the flag, a word is read after every number, to see exactly what is left.
  const bool wordAfterEach = feed.flag;
  for (;;) {
    int value = -7;
    int expected = -7;
    std::string rejected;
    ReadResult result = pair.reader.readWholeNumber(&value, &rejected);
    FUZZ_CHECK(result == pair.reference.wholeNumber(&expected), "whole-number read result");
    if (result == ReadResult::kEnd) break;
    FUZZ_CHECK(value == expected, std::to_string(value) + " read, " + std::to_string(expected) +
                                      " from '" + std::string(pair.reference.lastItem()) + "'");
    if (result == ReadResult::kValue) {
      FUZZ_CHECK(pair.reference.lastItem().size() <= InputReader::kWholeNumberLimit,
                 "15 characters");
    } else {
      FUZZ_CHECK(value == 0, "no number reads as 0");
      checkRejected(rejected, pair.reference.lastItem());
    }
    if (wordAfterEach && !checkNextWord(pair)) break;
  }
  return 0;
}
