// Cutting a record file into chunks that can be parsed apart from each other: wherever it can,
// a chunk ends where a record begins.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/env.h"

namespace survey {

struct Chunk {
  // How the chunk ends, and so what its parser does after it.
  enum class End {
    kRecordStart,  // a record begins after it: finish before that record
    kContinued,    // inside a line or record: the next chunk goes on with the same parser
    kFileEnd,      // the end of the file: finish
    kReadFailed,   // a read failed after it: stop, reporting `failure`
  };

  uint64_t index = 0;  // from 0, in file order
  std::string_view bytes;
  bool continues = false;  // goes on with the parser of the chunk before
  End end = End::kFileEnd;
  Status failure;
};

// One block of a file, as read: the `index`th from 0, `count` bytes of it (0 at the end of the
// file; when a read failed, those before the failure).
struct Block {
  uint64_t index = 0;
  size_t count = 0;
  bool last = false;  // the file ends within it
  Status status;
};

// Where a file's blocks come from. Several workers take blocks at once, each the next one.
class BlockSource {
 public:
  explicit BlockSource(size_t blockSize) : blockSize_(blockSize) {}
  virtual ~BlockSource() = default;
  size_t blockSize() const { return blockSize_; }
  // Reads the next block into `to`, which has room for blockSize() bytes.
  virtual Block take(char* to) = 0;

 private:
  size_t blockSize_;
};

// A file read from start to end, a block a read, one worker reading at a time; a block may be
// short (a pipe gives what it has). Once a read gives nothing or fails, nothing more is read.
class SequentialBlocks : public BlockSource {
 public:
  SequentialBlocks(SequentialFile& file, size_t blockSize) : BlockSource(blockSize), file_(file) {}
  Block take(char* to) override;

 private:
  SequentialFile& file_;
  std::mutex mutex_;
  uint64_t next_ = 0;
  bool ended_ = false;
};

// A file read at offsets, several blocks at once: block i holds the bytes from i blocks in, a
// whole block but at the end of the file.
class PositionalBlocks : public BlockSource {
 public:
  PositionalBlocks(RandomAccessFile& file, size_t blockSize)
      : BlockSource(blockSize), file_(file) {}
  Block take(char* to) override;

 private:
  RandomAccessFile& file_;
  std::atomic<uint64_t> next_{0};
};

// A chunk's bytes: the bytes carried over from the block before, then a block, read into the
// room kept after them. The carried bytes are most often a part of one record, and never more
// than a block and a record's first line.
class ChunkBuffer {
 public:
  explicit ChunkBuffer(size_t blockSize);
  // Where the next block is read: room for a block.
  char* block() { return bytes_.get() + front_; }
  // Puts `carried` before the block's first `count` bytes, making room if need be; returns
  // them together.
  std::string_view join(std::string_view carried, size_t count);

 private:
  static constexpr size_t kUsualCarry = 64 * 1024;
  size_t blockSize_;
  size_t front_;  // room before the block
  std::unique_ptr<char[]> bytes_;
};

// How many line ends (LF) `bytes` hold: with AVX2 where the processor has it.
uint64_t countLineEnds(std::string_view bytes);
// The same without AVX2, as on other processors.
uint64_t countLineEndsPlain(std::string_view bytes);

// Turns a file's blocks, taken in file order, into chunks: each block with the bytes carried
// over from the one before, up to the last record start they hold. Not thread-safe: callers
// take turns, block by block.
class ChunkCutter {
 public:
  // The chunk of `block`, read into `buffer.block()`; false once an earlier block ended the file.
  bool cut(const Block& block, ChunkBuffer& buffer, Chunk* chunk);
  // How many line ends the bytes carried over to the next chunk hold.
  uint64_t carriedLines() const { return carriedLines_; }

 private:
  std::string carried_;  // begins with a record start, or is empty
  uint64_t carriedLines_ = 0;
  bool continues_ = false;
  bool done_ = false;
};

}  // namespace survey
