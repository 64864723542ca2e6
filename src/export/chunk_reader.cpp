// Reading chunks in turn, each ending at the last record start that its bytes hold.
#include "export/chunk_reader.h"

#include <algorithm>

#include "export/record_parser.h"

namespace survey {

void ChunkBuffer::reserve(size_t size) {
  if (size <= capacity_) return;
  bytes_.reset(new char[size]);  // not filled: reads fill what is used
  capacity_ = size;
}

// Counted in stretches short enough for a byte to hold the count, which compilers turn into
// vector compares and adds.
uint64_t countLineEnds(std::string_view bytes) {
  constexpr size_t kStretch = 240;
  uint64_t total = 0;
  size_t at = 0;
  for (; at + kStretch <= bytes.size(); at += kStretch) {
    unsigned char count = 0;
    for (size_t i = 0; i < kStretch; ++i) count += bytes[at + i] == '\n';
    total += count;
  }
  for (; at < bytes.size(); ++at) total += bytes[at] == '\n';
  return total;
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
