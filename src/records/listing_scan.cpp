// The listing's scan for control characters, vectorised where the compiler and processor
// allow, with a plain loop everywhere else.
#include "records/listing_scan.h"

#include <cstring>

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define SURVEY_SCAN_X86 1
#endif

namespace survey {
namespace {

// True when the byte at `at` is a carriage return that a line feed follows within `size`.
inline bool carriageReturnBeforeLineEnd(const char* data, size_t at, size_t size) {
  return data[at] == '\r' && at + 1 < size && data[at + 1] == '\n';
}

// True when the byte at `at` is a lead byte 0xC2 that begins no C1 control: a byte follows
// within `size`, and it is not one of 0x80 to 0x9F. Such a byte shows as itself.
inline bool leadOfNoControl(const char* data, size_t at, size_t size) {
  return static_cast<unsigned char>(data[at]) == kC1Lead && at + 1 < size &&
         !isC1Second(static_cast<unsigned char>(data[at + 1]));
}

size_t findPlain(const char* data, size_t begin, size_t size) {
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(data);
  size_t i = begin;
  // Whole 64-byte chunks first, with a branch-free test that the compiler vectorises.
  for (; i + 64 <= size; i += 64) {
    unsigned char any = 0;
    for (int j = 0; j < 64; ++j) {
      unsigned char c = bytes[i + j];
      any |= static_cast<unsigned char>(((c < 0x20) & (c != '\n') & (c != '\t')) | (c == 0x7f) |
                                        (c == kC1Lead));
    }
    if (any != 0) break;
  }
  for (; i < size; ++i) {
    if (needsAttention(bytes[i])) return i;
  }
  return size;
}

#ifdef SURVEY_SCAN_X86

// Each byte is classified by two table lookups, one per nibble; the AND of the two is
// nonzero exactly for the bytes that need attention. Value 1: high nibble 0 (all but tab and
// line feed), value 2: high nibble 1, value 4: high nibble 7 (only DEL), value 8: high nibble
// C (only the lead byte 0xC2 of C1 controls).
// clang-format off
alignas(32) constexpr unsigned char kLowNibbleClass[32] = {
    3, 3, 11, 3, 3, 3, 3, 3, 3, 2, 2, 3, 3, 3, 3, 7, 3, 3, 11, 3, 3, 3, 3, 3, 3, 2, 2, 3, 3, 3, 3, 7};
// clang-format on
alignas(32) constexpr unsigned char kHighNibbleClass[32] = {
    1, 2, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 8, 0, 0, 0, 1, 2, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 8, 0, 0, 0};

__attribute__((target("avx2"))) inline __m256i classify(__m256i bytes, __m256i lowTable,
                                                        __m256i highTable) {
  const __m256i nibble = _mm256_set1_epi8(0x0f);
  // The low lookup gives 0 for a byte with its top bit set, so that bit is cleared first.
  __m256i low = _mm256_shuffle_epi8(lowTable, _mm256_and_si256(bytes, nibble));
  __m256i high =
      _mm256_shuffle_epi8(highTable, _mm256_and_si256(_mm256_srli_epi16(bytes, 4), nibble));
  return _mm256_and_si256(low, high);
}

__attribute__((target("avx2"))) size_t findAvx2(const char* data, size_t size) {
  const __m256i lowTable = _mm256_load_si256(reinterpret_cast<const __m256i*>(kLowNibbleClass));
  const __m256i highTable = _mm256_load_si256(reinterpret_cast<const __m256i*>(kHighNibbleClass));
  const __m256i zero = _mm256_setzero_si256();
  size_t i = 0;
  size_t found = size;
  for (; i + 128 <= size && found == size; i += 128) {
    const __m256i* p = reinterpret_cast<const __m256i*>(data + i);
    __m256i a = classify(_mm256_loadu_si256(p), lowTable, highTable);
    __m256i b = classify(_mm256_loadu_si256(p + 1), lowTable, highTable);
    __m256i c = classify(_mm256_loadu_si256(p + 2), lowTable, highTable);
    __m256i d = classify(_mm256_loadu_si256(p + 3), lowTable, highTable);
    __m256i any = _mm256_or_si256(_mm256_or_si256(a, b), _mm256_or_si256(c, d));
    if (_mm256_testz_si256(any, any)) continue;
    const __m256i parts[4] = {a, b, c, d};
    for (size_t k = 0; k < 4 && found == size; ++k) {
      unsigned mask =
          ~static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(parts[k], zero)));
      if (mask != 0) found = i + 32 * k + static_cast<size_t>(__builtin_ctz(mask));
    }
  }
  for (; i + 32 <= size && found == size; i += 32) {
    __m256i a = classify(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i)), lowTable,
                         highTable);
    unsigned mask = ~static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(a, zero)));
    if (mask != 0) found = i + static_cast<size_t>(__builtin_ctz(mask));
  }
  // Leaving the upper halves of the vector registers dirty would slow down every later
  // instruction of the older encoding, anywhere in the program.
  _mm256_zeroupper();
  if (found != size) return found;
  for (; i < size; ++i) {
    if (needsAttention(static_cast<unsigned char>(data[i]))) return i;
  }
  return size;
}

// Copies window by window, each stored whole before its bytes are tested. A file written on
// Windows has a carriage return in every line: those are skipped here, without a return to
// the caller for each line.
__attribute__((target("avx2"))) size_t copyAvx2(const char* data, size_t size, char* out,
                                                size_t* written) {
  const __m256i lowTable = _mm256_load_si256(reinterpret_cast<const __m256i*>(kLowNibbleClass));
  const __m256i highTable = _mm256_load_si256(reinterpret_cast<const __m256i*>(kHighNibbleClass));
  const __m256i zero = _mm256_setzero_si256();
  size_t in = 0;
  size_t to = 0;
  bool stopped = false;
  while (in + 32 <= size) {
    __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + in));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + to), bytes);
    __m256i classes = classify(bytes, lowTable, highTable);
    unsigned mask = ~static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(classes, zero)));
    if (mask == 0) {
      in += 32;
      to += 32;
      continue;
    }
    size_t clean = static_cast<size_t>(__builtin_ctz(mask));
    in += clean;
    to += clean;
    if (leadOfNoControl(data, in, size)) {
      ++in;  // stored already with its window
      ++to;
    } else if (carriageReturnBeforeLineEnd(data, in, size)) {
      ++in;  // the carriage return is dropped
    } else {
      stopped = true;
      break;
    }
  }
  _mm256_zeroupper();
  if (!stopped) {
    for (; in < size; ++in) {
      if (needsAttention(static_cast<unsigned char>(data[in])) &&
          !carriageReturnBeforeLineEnd(data, in, size) && !leadOfNoControl(data, in, size)) {
        break;
      }
      if (data[in] != '\r') out[to++] = data[in];
    }
  }
  *written = to;
  return in;
}

bool hasAvx2() {
  static const bool has = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
  return has;
}

#endif

}  // namespace

size_t findAttentionByte(const char* data, size_t size) {
#ifdef SURVEY_SCAN_X86
  if (hasAvx2()) return findAvx2(data, size);
#endif
  return findPlain(data, 0, size);
}

size_t findAttentionBytePlain(const char* data, size_t size) { return findPlain(data, 0, size); }

size_t copyShownText(const char* data, size_t size, char* out, size_t* written) {
#ifdef SURVEY_SCAN_X86
  if (hasAvx2()) return copyAvx2(data, size, out, written);
#endif
  return copyShownTextPlain(data, size, out, written);
}

size_t copyShownTextPlain(const char* data, size_t size, char* out, size_t* written) {
  size_t in = 0;
  size_t to = 0;
  for (;;) {
    size_t clean = findPlain(data, in, size) - in;
    std::memcpy(out + to, data + in, clean);
    in += clean;
    to += clean;
    if (in == size) break;
    if (leadOfNoControl(data, in, size)) {
      out[to++] = data[in];
    } else if (!carriageReturnBeforeLineEnd(data, in, size)) {
      break;
    }
    ++in;
  }
  *written = to;
  return in;
}

}  // namespace survey
