// Marking the bytes of a set in a stretch of text: the one scan that the listing and the record
// reader both build on, with vector instructions where the processor has them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace survey {

// A set of byte values as two tables of 16 entries: a byte is in the set when the entry of its
// low four bits and the entry of its high four bits share a bit. Any set in which the rows of
// 16 bytes (one per high half) take at most eight different shapes can be written so.
struct ByteSet {
  unsigned char low[16] = {};
  unsigned char high[16] = {};

  // The set of the bytes for which `in` holds. Requires at most eight shapes of rows (a
  // constant expression that breaks this does not compile).
  template <typename Predicate>
  static constexpr ByteSet of(Predicate in) {
    ByteSet set;
    unsigned shapes[8] = {};
    int used = 0;
    for (int row = 0; row < 16; ++row) {
      unsigned shape = 0;
      for (int column = 0; column < 16; ++column) {
        if (in(row * 16 + column)) shape |= 1u << column;
      }
      if (shape == 0) continue;
      int bucket = 0;
      while (bucket < used && shapes[bucket] != shape) ++bucket;
      if (bucket == used) {
        if (used == 8) throw "more than eight shapes of rows";
        shapes[used++] = shape;
      }
      set.high[row] |= static_cast<unsigned char>(1u << bucket);
      for (int column = 0; column < 16; ++column) {
        if (shape >> column & 1) set.low[column] |= static_cast<unsigned char>(1u << bucket);
      }
    }
    return set;
  }

  constexpr bool contains(unsigned char byte) const {
    return (low[byte & 15] & high[byte >> 4]) != 0;
  }
};

// How wide a vector the scan works in: none, 16 bytes (SSSE3) or 32 bytes (AVX2).
enum class ScanWidth { kPlain, k16, k32 };

// The widest of those that this processor has.
ScanWidth widestScan();

// Sets bit i % 64 of bits[i / 64] exactly when data[i] is in `set`, for i below `size`; writes
// (size + 63) / 64 words, their bits from `size` on cleared. Uses the widest vector the processor
// has, or at most `width`.
void markBytes(const ByteSet& set, const char* data, size_t size, uint64_t* bits);
void markBytesUpTo(ScanWidth width, const ByteSet& set, const char* data, size_t size,
                   uint64_t* bits);

// The same, one byte at a time: the result the vector code must equal.
void markBytesPlain(const ByteSet& set, const char* data, size_t size, uint64_t* bits);

}  // namespace survey
