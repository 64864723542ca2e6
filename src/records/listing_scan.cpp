// The listing's scan for control characters, on the byte-set scan, a stretch at a time.
#include "records/listing_scan.h"

#include <cstdint>
#include <cstring>

#include "records/byte_scan.h"

namespace survey {
namespace {

constexpr ByteSet kAttention = ByteSet::of([](int c) { return needsAttention(c); });

// Bytes marked at once: few enough that their marks stay in the first cache. A copy begins
// with a short stretch, as it stops at the next control character, and doubles it while it
// finds none.
constexpr size_t kFirstStretch = 128;
constexpr size_t kStretch = 4096;

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

// The marks of one stretch, read in order from a position on.
class Marks {
 public:
  // `first`: the bytes of the first stretch.
  explicit Marks(size_t first) : stretch_(first) {}
  // Marks the next stretch, from `from` up to `size` at most.
  void mark(const char* data, size_t from, size_t size) {
    from_ = from;
    end_ = size - from < stretch_ ? size : from + stretch_;
    markBytes(kAttention, data + from, end_ - from, bits_);
    stretch_ = stretch_ < kStretch ? stretch_ * 2 : kStretch;
  }
  // The first marked byte at or after `at` in the stretch, or its end.
  size_t next(size_t at) const {
    const size_t offset = at - from_;
    const size_t words = (end_ - from_ + 63) / 64;
    size_t word = offset / 64;
    if (word == words) return end_;
    uint64_t bits = bits_[word] & (~uint64_t{0} << (offset % 64));
    while (bits == 0) {
      if (++word == words) return end_;
      bits = bits_[word];
    }
    return from_ + word * 64 + static_cast<size_t>(__builtin_ctzll(bits));
  }
  size_t end() const { return end_; }

 private:
  uint64_t bits_[kStretch / 64];
  size_t from_ = 0, end_ = 0;
  size_t stretch_;
};

}  // namespace

size_t findAttentionByte(const char* data, size_t size) {
  Marks marks(kStretch);
  for (size_t at = 0; at < size; at = marks.end()) {
    marks.mark(data, at, size);
    const size_t found = marks.next(at);
    if (found != marks.end()) return found;
  }
  return size;
}

size_t copyShownText(const char* data, size_t size, char* out, size_t* written) {
  Marks marks(kFirstStretch);
  size_t in = 0;
  size_t to = 0;
  while (in < size) {
    if (in == marks.end()) marks.mark(data, in, size);
    const size_t found = marks.next(in);
    std::memcpy(out + to, data + in, found - in);
    to += found - in;
    in = found;
    if (in == marks.end()) continue;
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
