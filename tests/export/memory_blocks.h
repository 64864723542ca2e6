// A memory file's blocks for an export, read from start to end or at offsets.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>

#include "export/chunk_reader.h"
#include "support/fakes.h"

namespace survey::testing {

struct MemoryBlocks {
  // Throws std::runtime_error if `path` cannot be opened.
  MemoryBlocks(MemoryFileSystem& files, const std::string& path, size_t blockSize, bool atOffsets) {
    Status opened = atOffsets ? files.openForRandomReading(path, &positional)
                              : files.openForReading(path, &sequential);
    if (!opened.ok()) throw std::runtime_error(path + ": " + opened.reason());
    if (atOffsets) {
      source = std::make_unique<PositionalBlocks>(*positional, blockSize);
    } else {
      source = std::make_unique<SequentialBlocks>(*sequential, blockSize);
    }
  }

  std::unique_ptr<SequentialFile> sequential;
  std::unique_ptr<RandomAccessFile> positional;
  std::unique_ptr<BlockSource> source;
};

}  // namespace survey::testing
