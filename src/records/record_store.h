// The record file's appends and reads: every record whole and in once, whatever stops or
// fails on the way, and readers that never write.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/env.h"
#include "records/record_writer.h"

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
  // A record that a stopped save left damaged (its bytes lost in a crash) was written again.
  virtual void recordRewritten(const std::string& path, std::string_view record) = 0;
  // No journal can be kept at `journalPath` (`why`: something else has its name and cannot
  // or may not be removed, or it cannot be created): saves go on under the lock alone.
  virtual void safeguardLost(const std::string& journalPath, const Status& why) = 0;
  // The file system of `path` has no byte-range locks (`why`): saves go on unlocked there.
  virtual void locksMissing(const std::string& path, const Status& why) = 0;
};

// What the store keeps from one save to the next within a run.
struct StoreMemory {
  // Whether a journal's text (less a line end before it) is one whole record.
  std::function<bool(std::string_view)> isRecord = isWholeRecord;
  // A failed save's record that could neither be taken out nor marked to be: the next save
  // takes out what of it the file `device`/`file` still holds at `offset`.
  struct Unsettled {
    bool set = false;
    uint64_t device = 0;
    uint64_t file = 0;
    uint64_t offset = 0;
    std::string bytes;
  } unsettled;
  bool safeguardLostSaid = false;  // the store says so once a run
  bool locksMissingSaid = false;   // and this too
};

// The most bytes a record takes in the file: 21 answers of at most 4096 bytes, the figures
// and about 3 KiB of fixed text, with room to spare.
inline constexpr size_t kRecordSizeLimit = 256 * 1024;

// Appends `record` (lines ended by '\n') to the record file `path` with one write, under its
// exclusive lock, and syncs it; first completes, or else takes out, a record that a stopped
// save left unfinished. On failure the file holds what it held before and the reason says
// why; a record reported as not saved never turns up later. `memory` lives for the run.
Status appendRecord(FileSystem& files, const std::string& path, std::string_view record,
                    StoreReports& reports, StoreMemory& memory);

// Opens the record file for reading as it stands between two appends; never writes.
Status openRecords(FileSystem& files, const std::string& path, StoreReports& reports,
                   std::unique_ptr<RandomAccessFile>* file);

// The lock rule, the same for every writer on every system, so that writers on Linux and on
// Windows meet on a shared folder: a writer holds the save lock (the byte kSaveLockByte)
// exclusively from before it reads the journal until its journal is gone, and the bytes lock
// (the byte after it) exclusively while it changes the file's bytes; a reader holds the bytes
// lock shared while it takes the file's size. Byte-range locks are what both systems share
// (Wine maps a Windows program's locks to POSIX ones); Linux writers also take flock for the
// save, as earlier versions did. Where a file system has no byte-range locks, saves go on
// without and say so once.

// The file kept beside `path` while a record is appended to it.
std::string pendingPath(const std::string& path);

}  // namespace survey
