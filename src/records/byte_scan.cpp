// The byte-set scan, with AVX2 or SSSE3 on x86 processors that have them and a plain loop
// everywhere else. This is the only place of the program that uses vector instructions or asks
// the processor what it has.
#include "records/byte_scan.h"

#include <cstring>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define SURVEY_SCAN_X86 1
#endif

namespace survey {
namespace {

// 64 bytes at once, one bit each.
uint64_t markWordPlain(const ByteSet& set, const unsigned char* bytes, size_t count) {
  uint64_t word = 0;
  for (size_t i = 0; i < count; ++i) word |= uint64_t{set.contains(bytes[i])} << i;
  return word;
}

#ifdef SURVEY_SCAN_X86

// Each byte is looked up by its two halves in the two tables; the AND of the two is nonzero for
// bytes of the set. With AVX2 both tables sit in both 128-bit lanes, as the lookup is per lane.
__attribute__((target("avx2"))) inline uint32_t markVector(__m256i bytes, __m256i low,
                                                           __m256i high) {
  const __m256i nibble = _mm256_set1_epi8(0x0f);
  __m256i lows = _mm256_shuffle_epi8(low, _mm256_and_si256(bytes, nibble));
  __m256i highs = _mm256_shuffle_epi8(high, _mm256_and_si256(_mm256_srli_epi16(bytes, 4), nibble));
  __m256i none = _mm256_cmpeq_epi8(_mm256_and_si256(lows, highs), _mm256_setzero_si256());
  return ~static_cast<uint32_t>(_mm256_movemask_epi8(none));
}

__attribute__((target("ssse3"))) inline uint64_t markVector(__m128i bytes, __m128i low,
                                                            __m128i high) {
  const __m128i nibble = _mm_set1_epi8(0x0f);
  __m128i lows = _mm_shuffle_epi8(low, _mm_and_si128(bytes, nibble));
  __m128i highs = _mm_shuffle_epi8(high, _mm_and_si128(_mm_srli_epi16(bytes, 4), nibble));
  __m128i none = _mm_cmpeq_epi8(_mm_and_si128(lows, highs), _mm_setzero_si128());
  return ~static_cast<uint64_t>(_mm_movemask_epi8(none)) & 0xFFFF;
}

// 64 bytes from `p` as one word of marks, in vectors of either width.
__attribute__((target("avx2"))) inline uint64_t markWord(const char* p, __m256i low, __m256i high) {
  const __m256i* v = reinterpret_cast<const __m256i*>(p);
  uint64_t first = markVector(_mm256_loadu_si256(v), low, high);
  uint64_t second = markVector(_mm256_loadu_si256(v + 1), low, high);
  return first | second << 32;
}

__attribute__((target("ssse3"))) inline uint64_t markWord(const char* p, __m128i low,
                                                          __m128i high) {
  const __m128i* v = reinterpret_cast<const __m128i*>(p);
  return markVector(_mm_loadu_si128(v), low, high) |
         markVector(_mm_loadu_si128(v + 1), low, high) << 16 |
         markVector(_mm_loadu_si128(v + 2), low, high) << 32 |
         markVector(_mm_loadu_si128(v + 3), low, high) << 48;
}

// The last bytes of a stretch that is not whole words, copied into a block of their own so that
// no load reads past them; the mask keeps their marks only.
const char* lastBytes(const char* from, size_t count, char (&block)[64]) {
  std::memset(block, 0, sizeof block);
  std::memcpy(block, from, count);
  return block;
}
inline uint64_t lastMask(size_t count) { return (uint64_t{1} << count) - 1; }

__attribute__((target("avx2"))) void markAvx2(const ByteSet& set, const char* data, size_t size,
                                              uint64_t* bits) {
  const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(set.low));
  const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(set.high));
  const __m256i lowTable = _mm256_broadcastsi128_si256(low);
  const __m256i highTable = _mm256_broadcastsi128_si256(high);
  size_t at = 0;
  for (; at + 64 <= size; at += 64) bits[at / 64] = markWord(data + at, lowTable, highTable);
  if (at < size) {
    char block[64];
    bits[at / 64] =
        markWord(lastBytes(data + at, size - at, block), lowTable, highTable) & lastMask(size - at);
  }
  // Leaving the upper halves of the vector registers dirty would slow down every later
  // instruction of the older encoding, anywhere in the program.
  _mm256_zeroupper();
}

__attribute__((target("ssse3"))) void markSsse3(const ByteSet& set, const char* data, size_t size,
                                                uint64_t* bits) {
  const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(set.low));
  const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(set.high));
  size_t at = 0;
  for (; at + 64 <= size; at += 64) bits[at / 64] = markWord(data + at, low, high);
  if (at < size) {
    char block[64];
    bits[at / 64] =
        markWord(lastBytes(data + at, size - at, block), low, high) & lastMask(size - at);
  }
}

#endif

}  // namespace

ScanWidth widestScan() {
#ifdef SURVEY_SCAN_X86
  static const ScanWidth widest = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"))
                                      ? ScanWidth::k32
                                  : __builtin_cpu_supports("ssse3") ? ScanWidth::k16
                                                                    : ScanWidth::kPlain;
  return widest;
#else
  return ScanWidth::kPlain;
#endif
}

void markBytesPlain(const ByteSet& set, const char* data, size_t size, uint64_t* bits) {
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(data);
  for (size_t at = 0; at < size; at += 64) {
    bits[at / 64] = markWordPlain(set, bytes + at, size - at < 64 ? size - at : 64);
  }
}

void markBytesUpTo(ScanWidth width, const ByteSet& set, const char* data, size_t size,
                   uint64_t* bits) {
  const ScanWidth widest = widestScan();
  if (width > widest) width = widest;
#ifdef SURVEY_SCAN_X86
  if (width == ScanWidth::k32) return markAvx2(set, data, size, bits);
  if (width == ScanWidth::k16) return markSsse3(set, data, size, bits);
#endif
  markBytesPlain(set, data, size, bits);
}

void markBytes(const ByteSet& set, const char* data, size_t size, uint64_t* bits) {
  markBytesUpTo(ScanWidth::k32, set, data, size, bits);
}

}  // namespace survey
