// Cutting a record file into chunks that can be parsed apart from each other: wherever it can,
// a chunk ends where a record begins.
#pragma once

#include <cstdint>
#include <memory>
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

// A chunk's bytes: a carried-over stretch, then one read of up to a block. The carried bytes
// are most often a part of one record, and never more than a block and a record's first line.
class ChunkBuffer {
 public:
  explicit ChunkBuffer(size_t blockSize) : blockSize_(blockSize) {
    reserve(blockSize + kUsualCarry);
  }
  size_t blockSize() const { return blockSize_; }
  char* data() { return bytes_.get(); }
  // Makes room for `size` bytes; what was in the buffer is lost.
  void reserve(size_t size);

 private:
  static constexpr size_t kUsualCarry = 64 * 1024;
  size_t blockSize_;
  size_t capacity_ = 0;
  std::unique_ptr<char[]> bytes_;
};

// How many line ends (LF) `bytes` hold: with AVX2 where the processor has it.
uint64_t countLineEnds(std::string_view bytes);
// The same without AVX2, as on other processors.
uint64_t countLineEndsPlain(std::string_view bytes);

// Reads a file in turn into the buffers of whoever asks, carrying the bytes after the last
// record start of each read over to the next chunk. Not thread-safe: callers take turns.
class ChunkReader {
 public:
  explicit ChunkReader(SequentialFile& file) : file_(file) {}

  // Reads the next chunk into `buffer`; false once the file is done.
  bool next(ChunkBuffer& buffer, Chunk* chunk);

 private:
  SequentialFile& file_;
  std::string carried_;  // begins with a record start, or is empty
  bool continues_ = false;
  bool done_ = false;
  uint64_t index_ = 0;
};

}  // namespace survey
