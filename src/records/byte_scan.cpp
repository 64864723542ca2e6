// The byte-set scan, with AVX2 on x86-64 processors that have it and a plain loop everywhere
// else. This is the only place of the program that uses vector instructions or asks the
// processor what it has.
#include "records/byte_scan.h"

#include <cstring>

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define SURVEY_SCAN_AVX2 1
#endif

namespace survey {
namespace {

// 64 bytes at once, one bit each.
uint64_t markWordPlain(const ByteSet& set, const unsigned char* bytes, size_t count) {
  uint64_t word = 0;
  for (size_t i = 0; i < count; ++i) word |= uint64_t{set.contains(bytes[i])} << i;
  return word;
}

#ifdef SURVEY_SCAN_AVX2

// Each byte is looked up by its two halves in the two tables; the AND of the two is nonzero
// for bytes of the set. Both tables sit in both 128-bit lanes, as the lookup is per lane.
__attribute__((target("avx2"))) inline uint32_t markVector(__m256i bytes, __m256i low,
                                                           __m256i high) {
  const __m256i nibble = _mm256_set1_epi8(0x0f);
  __m256i lows = _mm256_shuffle_epi8(low, _mm256_and_si256(bytes, nibble));
  __m256i highs = _mm256_shuffle_epi8(high, _mm256_and_si256(_mm256_srli_epi16(bytes, 4), nibble));
  __m256i none = _mm256_cmpeq_epi8(_mm256_and_si256(lows, highs), _mm256_setzero_si256());
  return ~static_cast<uint32_t>(_mm256_movemask_epi8(none));
}

__attribute__((target("avx2"))) void markAvx2(const ByteSet& set, const char* data, size_t size,
                                              uint64_t* bits) {
  const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(set.low));
  const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(set.high));
  const __m256i lowTable = _mm256_broadcastsi128_si256(low);
  const __m256i highTable = _mm256_broadcastsi128_si256(high);
  size_t at = 0;
  for (; at + 64 <= size; at += 64) {
    const __m256i* p = reinterpret_cast<const __m256i*>(data + at);
    uint64_t first = markVector(_mm256_loadu_si256(p), lowTable, highTable);
    uint64_t second = markVector(_mm256_loadu_si256(p + 1), lowTable, highTable);
    bits[at / 64] = first | second << 32;
  }
  if (at < size) {
    // The last bytes, copied into a block of their own so that no load reads past them.
    alignas(32) char last[64] = {};
    std::memcpy(last, data + at, size - at);
    const __m256i* p = reinterpret_cast<const __m256i*>(last);
    uint64_t first = markVector(_mm256_load_si256(p), lowTable, highTable);
    uint64_t second = markVector(_mm256_load_si256(p + 1), lowTable, highTable);
    bits[at / 64] = (first | second << 32) & ((uint64_t{1} << (size - at)) - 1);
  }
  // Leaving the upper halves of the vector registers dirty would slow down every later
  // instruction of the older encoding, anywhere in the program.
  _mm256_zeroupper();
}

bool hasAvx2() {
  static const bool has = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
  return has;
}

#endif

}  // namespace

void markBytesPlain(const ByteSet& set, const char* data, size_t size, uint64_t* bits) {
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(data);
  for (size_t at = 0; at < size; at += 64) {
    bits[at / 64] = markWordPlain(set, bytes + at, size - at < 64 ? size - at : 64);
  }
}

void markBytes(const ByteSet& set, const char* data, size_t size, uint64_t* bits) {
#ifdef SURVEY_SCAN_AVX2
  if (hasAvx2()) return markAvx2(set, data, size, bits);
#endif
  markBytesPlain(set, data, size, bits);
}

bool markBytesIsVectorised() {
#ifdef SURVEY_SCAN_AVX2
  return hasAvx2();
#else
  return false;
#endif
}

}  // namespace survey
