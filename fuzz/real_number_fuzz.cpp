// The real-number reader against its rules: sign, digits, point, exponent, at most 27
// characters, a finite value as the C library reads that text, the rest left; anything else
// reads as 0 and drops its word.
#include <cstdint>

#include "reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace survey;
  fuzzing::checkNumberReads<double>(
      fuzzing::splitFeed(data, size), InputReader::kRealNumberLimit,
      [](InputReader& r, double* value, NumberText* text) { return r.readReal(value, text); },
      [](fuzzing::ReferenceReader& r, double* value) { return r.real(value); });
  return 0;
}
