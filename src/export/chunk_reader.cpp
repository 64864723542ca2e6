// Reading chunks in turn, each ending at the last record start that its bytes hold.
#include "export/chunk_reader.h"

#include <algorithm>

#include "export/record_parser.h"

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define SURVEY_COUNT_AVX2 1
#endif

namespace survey {
namespace {

// Counted in stretches short enough for a byte to hold the count, which compilers turn into
// vector compares and adds.
uint64_t countInStretches(const char* data, size_t size) {
  constexpr size_t kStretch = 240;
  uint64_t total = 0;
  size_t at = 0;
  for (; at + kStretch <= size; at += kStretch) {
    unsigned char count = 0;
    for (size_t i = 0; i < kStretch; ++i) count += data[at + i] == '\n';
    total += count;
  }
  for (; at < size; ++at) total += data[at] == '\n';
  return total;
}

#ifdef SURVEY_COUNT_AVX2

// -1 in each byte lane that holds a line end, 0 in the others.
__attribute__((target("avx2"))) inline __m256i lineEndsAt(const char* at) {
  return _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(at)),
                           _mm256_set1_epi8('\n'));
}

// 128 bytes a step, 32 a compare: each byte lane counts down by one a line end, for up to 63
// steps (252 at most, which a byte holds), then the lanes are summed.
__attribute__((target("avx2"))) uint64_t countLineEndsAvx2(const char* data, size_t size) {
  uint64_t total = 0;
  size_t at = 0;
  while (at + 128 <= size) {
    __m256i counts = _mm256_setzero_si256();
    size_t end = at + std::min<size_t>((size - at) / 128, 63) * 128;
    for (; at < end; at += 128) {
      counts = _mm256_sub_epi8(counts, lineEndsAt(data + at));
      counts = _mm256_sub_epi8(counts, lineEndsAt(data + at + 32));
      counts = _mm256_sub_epi8(counts, lineEndsAt(data + at + 64));
      counts = _mm256_sub_epi8(counts, lineEndsAt(data + at + 96));
    }
    __m256i sums = _mm256_sad_epu8(counts, _mm256_setzero_si256());
    total += static_cast<uint64_t>(_mm256_extract_epi64(sums, 0) + _mm256_extract_epi64(sums, 1) +
                                   _mm256_extract_epi64(sums, 2) + _mm256_extract_epi64(sums, 3));
  }
  return total + countInStretches(data + at, size - at);
}

bool hasAvx2() {
  static const bool has = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
  return has;
}

#endif

}  // namespace

void ChunkBuffer::reserve(size_t size) {
  if (size <= capacity_) return;
  bytes_.reset(new char[size]);  // not filled: reads fill what is used
  capacity_ = size;
}

uint64_t countLineEnds(std::string_view bytes) {
#ifdef SURVEY_COUNT_AVX2
  if (hasAvx2()) return countLineEndsAvx2(bytes.data(), bytes.size());
#endif
  return countLineEndsPlain(bytes);
}

uint64_t countLineEndsPlain(std::string_view bytes) {
  return countInStretches(bytes.data(), bytes.size());
}

bool ChunkReader::next(ChunkBuffer& buffer, Chunk* chunk) {
  if (done_) return false;
  size_t carried = carried_.size();
  buffer.reserve(carried + buffer.blockSize());
  std::copy(carried_.begin(), carried_.end(), buffer.data());
  carried_.clear();
  size_t count = 0;
  Status read = file_.read(buffer.data() + carried, buffer.blockSize(), &count);
  if (!read.ok()) count = 0;
  std::string_view bytes(buffer.data(), carried + count);

  *chunk = Chunk();
  chunk->index = index_++;
  chunk->continues = continues_;
  chunk->bytes = bytes;
  if (!read.ok() || count == 0) {
    done_ = true;
    chunk->end = read.ok() ? Chunk::End::kFileEnd : Chunk::End::kReadFailed;
    chunk->failure = read;
    return true;
  }
  size_t recordStart = findLastRecordStart(bytes);
  continues_ = recordStart == std::string_view::npos;
  if (continues_) {
    chunk->end = Chunk::End::kContinued;
  } else {
    chunk->bytes = bytes.substr(0, recordStart);
    chunk->end = Chunk::End::kRecordStart;
    carried_.assign(bytes.substr(recordStart));
  }
  return true;
}

}  // namespace survey
