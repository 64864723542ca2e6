// Exporting one record file with several workers at once, its output as if read in one go.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "export/chunk_reader.h"
#include "platform/env.h"

namespace survey {

enum class ExportFormat { kCsv, kJsonLines };

// Standard output written in large blocks; once a write fails, nothing more is written.
class BlockWriter {
 public:
  explicit BlockWriter(ConsoleOutput& output);
  // Writes what is pending once it comes to a block; bytes enough for a write of their own,
  // with nothing pending, go out as they are.
  void append(std::string_view bytes);
  void flush();
  const Status& status() const { return status_; }

 private:
  static constexpr size_t kBlock = 1 << 20;
  static constexpr size_t kLargeEnough = 64 * 1024;
  ConsoleOutput& output_;
  std::string pending_;
  Status status_;
};

// Each worker takes the next block of the file (several read at once where the file allows
// it), cuts it into a chunk in its turn, parses the chunk with a parser of its own (or the one
// the chunk before hands over), and writes its rows and reports once those of every chunk
// before are written, or leaves them for whoever writes the chunk before. Lines are numbered
// across chunks by counting each chunk's lines.
class FileExport {
 public:
  // `rows` takes the rows, `errors` the reports.
  FileExport(BlockSource& blocks, std::string name, ExportFormat format, BlockWriter& rows,
             ConsoleOutput& errors);
  FileExport(const FileExport&) = delete;
  FileExport& operator=(const FileExport&) = delete;
  ~FileExport();

  // Exports the file with up to `workers` workers, the calling thread being one of them; with
  // one, or where no thread can be started, the calling thread does it all. What a worker
  // throws stops the others and is thrown here once they have all stopped.
  void run(size_t workers);

  // 0: every record exported; 1: lines skipped; 2: a read failed. Once writing the rows
  // fails, the export stops.
  int status() const { return status_; }

 private:
  struct ParserRun;
  struct ChunkOutput;

  void workOrStop();
  void work();
  bool stopping();
  bool cutInTurn(const Block& block, ChunkBuffer& buffer, Chunk* chunk, uint64_t* linesBefore);
  std::unique_ptr<ParserRun> takeParser(uint64_t index);
  void handOver(uint64_t index, std::unique_ptr<ParserRun> run);
  void writeInTurn(uint64_t index, std::unique_ptr<ChunkOutput>* out);

  BlockSource& blocks_;
  const std::string name_;
  const ExportFormat format_;
  BlockWriter& rows_;
  ConsoleOutput& errors_;

  std::mutex mutex_;  // everything below
  std::condition_variable changed_;
  bool stopping_ = false;
  ChunkCutter cutter_;
  uint64_t cutTurn_ = 0;      // the block cut next
  uint64_t linesBefore_ = 0;  // the lines before its chunk
  // Parsers handed over, by the chunk they are for: at most one a worker.
  std::map<uint64_t, std::unique_ptr<ParserRun>> handedOver_;
  uint64_t writeTurn_ = 0;  // the chunk written next
  // Outputs of chunks done before their turn, by chunk, and outputs free for reuse.
  static constexpr size_t kMostQueued = 2;
  std::map<uint64_t, std::unique_ptr<ChunkOutput>> queued_;
  std::vector<std::unique_ptr<ChunkOutput>> spare_;
  int status_ = 0;
  std::exception_ptr failure_;
};

}  // namespace survey
