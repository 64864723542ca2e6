// Reading a file in blocks, and cutting them into chunks that end at the last record start
// that their bytes hold.
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

uint64_t countLineEnds(std::string_view bytes) {
#ifdef SURVEY_COUNT_AVX2
  if (hasAvx2()) return countLineEndsAvx2(bytes.data(), bytes.size());
#endif
  return countLineEndsPlain(bytes);
}

uint64_t countLineEndsPlain(std::string_view bytes) {
  return countInStretches(bytes.data(), bytes.size());
}

Block SequentialBlocks::take(char* to) {
  std::lock_guard<std::mutex> lock(mutex_);
  Block block;
  block.index = next_++;
  if (ended_) return block;
  block.status = file_.read(to, blockSize(), &block.count);
  if (!block.status.ok()) block.count = 0;
  ended_ = block.count == 0;
  return block;
}

Block PositionalBlocks::take(char* to) {
  Block block;
  block.index = next_++;
  uint64_t offset = block.index * blockSize();
  while (block.count < blockSize()) {
    size_t count = 0;
    block.status =
        file_.readAt(offset + block.count, to + block.count, blockSize() - block.count, &count);
    if (!block.status.ok()) return block;  // with the bytes before the failure
    if (count == 0) {
      block.last = true;
      break;
    }
    block.count += count;
  }
  return block;
}

ChunkBuffer::ChunkBuffer(size_t blockSize)
    : blockSize_(blockSize),
      front_(kUsualCarry),
      bytes_(new char[kUsualCarry + blockSize]) {}  // not filled: reads fill what is used

std::string_view ChunkBuffer::join(std::string_view carried, size_t count) {
  if (carried.size() > front_) {
    std::unique_ptr<char[]> grown(new char[carried.size() + blockSize_]);
    std::copy(block(), block() + count, grown.get() + carried.size());
    bytes_ = std::move(grown);
    front_ = carried.size();
  }
  char* start = block() - carried.size();
  std::copy(carried.begin(), carried.end(), start);
  return std::string_view(start, carried.size() + count);
}

bool ChunkCutter::cut(const Block& block, ChunkBuffer& buffer, Chunk* chunk) {
  if (done_) return false;
  std::string_view bytes = buffer.join(carried_, block.count);
  *chunk = Chunk();
  chunk->index = block.index;
  chunk->continues = continues_;
  chunk->bytes = bytes;
  carried_.clear();
  carriedLines_ = 0;
  if (!block.status.ok() || block.count == 0 || block.last) {
    done_ = true;
    chunk->end = block.status.ok() ? Chunk::End::kFileEnd : Chunk::End::kReadFailed;
    chunk->failure = block.status;
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
    carriedLines_ = countLineEnds(carried_);
  }
  return true;
}

}  // namespace survey
