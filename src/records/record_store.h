// The record file's appends and reads: every record whole and in once, whatever stops or
// fails on the way, and readers that never write.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/env.h"

namespace survey {

// What the store tells the user while it works.
class StoreReports {
 public:
  virtual ~StoreReports() = default;
  // Another program holds the file or its lock (`busy` says which); the store waits on.
  virtual void waiting(const std::string& path, const Status& busy) = 0;
  // A record that a stopped save left unfinished could not be completed and was taken out
  // of the file again; `record` is its text, as the file would have held it.
  virtual void recordTakenOut(const std::string& path, const Status& why,
                              std::string_view record) = 0;
};

// The most bytes a record takes in the file: 21 answers of at most 4096 bytes, the figures
// and about 3 KiB of fixed text, with room to spare.
inline constexpr size_t kRecordSizeLimit = 256 * 1024;

// Appends `record` (lines ended by '\n') to the record file `path` with one write, under its
// exclusive lock, and syncs it; first completes, or else takes out, a record that a stopped
// save left unfinished. On failure the file holds what it held before and the reason says
// why; a record reported as not saved never turns up later.
Status appendRecord(FileSystem& files, const std::string& path, std::string_view record,
                    StoreReports& reports);

// Opens the record file for reading as it stands between two appends; never writes.
Status openRecords(FileSystem& files, const std::string& path, StoreReports& reports,
                   std::unique_ptr<RandomAccessFile>* file);

// The file kept beside `path` while a record is appended to it.
std::string pendingPath(const std::string& path);

}  // namespace survey
