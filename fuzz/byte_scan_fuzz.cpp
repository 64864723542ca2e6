// The byte-set scan in each vector width this processor has against the plain one: for any set
// (its two tables taken from the input) and any bytes at any alignment, all mark the same bytes,
// and exactly those of the set.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz_check.h"
#include "records/byte_scan.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace survey;
  constexpr size_t kTables = sizeof(ByteSet::low) + sizeof(ByteSet::high);
  if (size < kTables + 1) return 0;
  ByteSet set;
  std::memcpy(set.low, data, sizeof set.low);
  std::memcpy(set.high, data + sizeof set.low, sizeof set.high);
  // The byte after the tables shifts the text off any alignment the fuzzer's buffer has.
  const size_t shift = data[kTables] % 64;
  const size_t count = size - kTables - 1;
  std::vector<char> text(shift + count);
  std::copy(data + kTables + 1, data + size, text.begin() + static_cast<ptrdiff_t>(shift));
  const size_t words = (count + 63) / 64;
  std::vector<uint64_t> plain(words);
  markBytesPlain(set, text.data() + shift, count, plain.data());
  for (ScanWidth width : {ScanWidth::k16, ScanWidth::k32}) {
    if (width > widestScan()) continue;
    std::vector<uint64_t> vector(words);
    markBytesUpTo(width, set, text.data() + shift, count, vector.data());
    FUZZ_CHECK(vector == plain, "the vector scan differs from the plain one");
  }
  for (size_t at = 0; at < words * 64; ++at) {
    const bool marked = (plain[at / 64] >> (at % 64) & 1) != 0;
    const bool in = at < count && set.contains(static_cast<unsigned char>(text[shift + at]));
    FUZZ_CHECK(marked == in, "byte " + std::to_string(at) + " marked wrongly");
  }
  return 0;
}
