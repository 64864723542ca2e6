// The workers of one file's export and the turns they take: cutting blocks into chunks and
// numbering their lines, handing a parser over, and writing.
#include "export/file_export.h"

#include <algorithm>
#include <system_error>
#include <thread>
#include <vector>

#include "export/record_parser.h"
#include "export/record_patterns.h"
#include "export/row_writers.h"

namespace survey {

// What one chunk gives: its rows as text, its reports, and the status they call for.
struct FileExport::ChunkOutput : RecordSink {
  ChunkOutput(const std::string& name, ExportFormat format) : name(name), format(format) {}

  void clear() {
    rowsSize = 0;
    reports.clear();
    status = 0;
  }

  void record(const ExportRow& row) override {
    bool csv = format == ExportFormat::kCsv;
    char* to = room(csv ? csvRowBound(row) : jsonLineBound(row));
    rowsSize =
        static_cast<size_t>((csv ? writeCsvRow(row, to) : writeJsonLine(row, to)) - rows.get());
  }

  // Room for `size` more bytes of rows; what is written stays.
  char* room(size_t size) {
    if (rowsSize + size > rowsCapacity) {
      size_t capacity = std::max(2 * rowsCapacity, rowsSize + size);
      std::unique_ptr<char[]> grown(new char[capacity]);
      std::copy(rows.get(), rows.get() + rowsSize, grown.get());
      rows = std::move(grown);
      rowsCapacity = capacity;
    }
    return rows.get() + rowsSize;
  }

  std::string_view rowsText() const { return std::string_view(rows.get(), rowsSize); }

  void skipped(const SkippedLines& lines) override {
    std::string where = std::to_string(lines.firstLine);
    if (lines.lastLine != lines.firstLine) where += "-" + std::to_string(lines.lastLine);
    report(":" + where + ": " + std::string(lines.message));
    status = std::max(status, 1);
  }

  // `text` follows the file name: ":LINES: WHAT" or ": REASON".
  void report(const std::string& text) { reports += "survey-export: " + name + text + "\n"; }

  const std::string& name;
  const ExportFormat format;
  std::unique_ptr<char[]> rows;  // written in place, never cleared
  size_t rowsSize = 0;
  size_t rowsCapacity = 0;
  std::string reports;
  int status = 0;
};

// A parser with the chunk output it writes to, which changes as it passes between workers.
struct FileExport::ParserRun : RecordSink {
  ParserRun(const std::string& name, uint64_t linesBefore) : parser(name, *this, linesBefore) {}
  void record(const ExportRow& row) override { out->record(row); }
  void skipped(const SkippedLines& lines) override { out->skipped(lines); }

  ChunkOutput* out = nullptr;
  RecordParser parser;
};

BlockWriter::BlockWriter(ConsoleOutput& output) : output_(output) { pending_.reserve(2 * kBlock); }

void BlockWriter::append(std::string_view bytes) {
  if (pending_.empty() && bytes.size() >= kLargeEnough) {
    if (status_.ok()) status_ = output_.write(bytes);
    return;
  }
  pending_.append(bytes);
  if (pending_.size() >= kBlock) flush();
}

void BlockWriter::flush() {
  if (status_.ok() && !pending_.empty()) status_ = output_.write(pending_);
  pending_.clear();
}

FileExport::FileExport(BlockSource& blocks, std::string name, ExportFormat format,
                       BlockWriter& rows, ConsoleOutput& errors)
    : blocks_(blocks), name_(std::move(name)), format_(format), rows_(rows), errors_(errors) {}

FileExport::~FileExport() = default;

void FileExport::run(size_t workers) {
  recordPatterns();  // a fault in the layout throws here, not on a worker's thread
  std::vector<std::thread> threads;
  for (size_t i = 1; i < workers; ++i) {
    try {
      threads.emplace_back([this] { workOrStop(); });
    } catch (const std::system_error&) {
      break;  // the workers there are do it all
    }
  }
  workOrStop();
  for (std::thread& thread : threads) thread.join();
  if (failure_) std::rethrow_exception(failure_);
}

// What a worker throws stops them all, and is thrown again once they are done.
void FileExport::workOrStop() {
  try {
    work();
  } catch (...) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!failure_) failure_ = std::current_exception();
    stopping_ = true;
    changed_.notify_all();
  }
}

void FileExport::work() {
  ChunkBuffer buffer(blocks_.blockSize());
  std::unique_ptr<ChunkOutput> out = std::make_unique<ChunkOutput>(name_, format_);
  Chunk chunk;
  while (!stopping()) {
    Block block = blocks_.take(buffer.block());
    uint64_t linesBefore = 0;
    if (!cutInTurn(block, buffer, &chunk, &linesBefore)) return;
    out->clear();
    std::unique_ptr<ParserRun> run =
        chunk.continues ? takeParser(chunk.index) : std::make_unique<ParserRun>(name_, linesBefore);
    if (!run) return;
    run->out = out.get();
    run->parser.feed(chunk.bytes);
    switch (chunk.end) {
      case Chunk::End::kRecordStart:
        run->parser.finishBeforeRecord();
        break;
      case Chunk::End::kContinued:
        handOver(chunk.index + 1, std::move(run));
        break;
      case Chunk::End::kFileEnd:
        run->parser.finish();
        break;
      case Chunk::End::kReadFailed:
        out->report(": " + chunk.failure.reason());
        out->status = 2;
        break;
    }
    writeInTurn(chunk.index, &out);
  }
}

bool FileExport::stopping() {
  std::lock_guard<std::mutex> lock(mutex_);
  return stopping_;
}

// Waits for the blocks before to be cut, then cuts this one into its chunk and numbers the
// chunk's lines: the block's, counted before the turn, with those carried over into it and
// without those it carries over to the next.
bool FileExport::cutInTurn(const Block& block, ChunkBuffer& buffer, Chunk* chunk,
                           uint64_t* linesBefore) {
  uint64_t blockLines = countLineEnds(std::string_view(buffer.block(), block.count));
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [&] { return stopping_ || cutTurn_ == block.index; });
  if (stopping_) return false;
  ++cutTurn_;
  changed_.notify_all();
  uint64_t carriedIn = cutter_.carriedLines();
  if (!cutter_.cut(block, buffer, chunk)) return false;
  *linesBefore = linesBefore_;
  linesBefore_ += carriedIn + blockLines - cutter_.carriedLines();
  return true;
}

std::unique_ptr<FileExport::ParserRun> FileExport::takeParser(uint64_t index) {
  std::unique_lock<std::mutex> lock(mutex_);
  auto handed = handedOver_.end();
  changed_.wait(lock, [&] {
    handed = handedOver_.find(index);
    return stopping_ || handed != handedOver_.end();
  });
  if (stopping_) return nullptr;
  std::unique_ptr<ParserRun> run = std::move(handed->second);
  handedOver_.erase(handed);
  return run;
}

void FileExport::handOver(uint64_t index, std::unique_ptr<ParserRun> run) {
  std::lock_guard<std::mutex> lock(mutex_);
  handedOver_[index] = std::move(run);
  changed_.notify_all();
}

// Writes a chunk's output in its turn, then the outputs queued for the turns after it. Before
// its turn, the output is queued, if there is room, and the worker takes another, so that a
// worker held up does not hold the others up. The turn's holder alone writes, without holding
// the lock. Reports go first, as they would have gone out the moment they were found.
void FileExport::writeInTurn(uint64_t index, std::unique_ptr<ChunkOutput>* out) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock,
                [&] { return stopping_ || writeTurn_ == index || queued_.size() < kMostQueued; });
  if (stopping_) return;
  if (writeTurn_ != index) {
    queued_[index] = std::move(*out);
    if (spare_.empty()) {
      *out = std::make_unique<ChunkOutput>(name_, format_);
    } else {
      *out = std::move(spare_.back());
      spare_.pop_back();
    }
    return;
  }
  ChunkOutput* writing = out->get();
  std::unique_ptr<ChunkOutput> wasQueued;
  for (;;) {
    lock.unlock();
    if (!writing->reports.empty()) errors_.write(writing->reports);
    rows_.append(writing->rowsText());
    lock.lock();
    status_ = std::max(status_, writing->status);
    ++writeTurn_;
    if (wasQueued) spare_.push_back(std::move(wasQueued));
    if (!rows_.status().ok()) stopping_ = true;
    auto next = queued_.find(writeTurn_);
    if (stopping_ || next == queued_.end()) break;
    wasQueued = std::move(next->second);
    queued_.erase(next);
    writing = wasQueued.get();
  }
  changed_.notify_all();
}

}  // namespace survey
