// The whole-number reader against its rules: sign, hex, octal or decimal, at most 15
// characters, the value the C library gives that text clamped to 32 bits, the rest left.
#include <cstdint>

#include "reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace survey;
  fuzzing::checkNumberReads<int>(
      fuzzing::splitFeed(data, size), InputReader::kWholeNumberLimit,
      [](InputReader& r, int* value, NumberText* text) { return r.readWholeNumber(value, text); },
      [](fuzzing::ReferenceReader& r, int* value) { return r.wholeNumber(value); });
  return 0;
}
