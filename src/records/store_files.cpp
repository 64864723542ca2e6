// The waits for files and locks held by others, and reading a file between appends: its size
// is taken under the bytes lock, shared and let go at once, and reads stop at that size.
#include "records/store_files.h"

#include <algorithm>
#include <utility>

namespace survey {
namespace {

// Reads of a file that end at the size it had when it was opened.
class SnapshotFile : public RandomAccessFile {
 public:
  SnapshotFile(std::unique_ptr<StoreFile> file, uint64_t size)
      : file_(std::move(file)), size_(size) {}
  Status readAt(uint64_t offset, char* buffer, size_t capacity, size_t* count) override {
    *count = 0;
    if (offset >= size_) return Status();
    return file_->readAt(offset, buffer,
                         static_cast<size_t>(std::min<uint64_t>(capacity, size_ - offset)), count);
  }
  uint64_t size() const { return size_; }

 private:
  std::unique_ptr<StoreFile> file_;
  uint64_t size_;
};

class SequentialSnapshot : public SequentialFile {
 public:
  SequentialSnapshot(std::unique_ptr<RandomAccessFile> file, uint64_t size)
      : file_(std::move(file)), size_(size) {}
  Status read(char* buffer, size_t capacity, size_t* count) override {
    Status status = file_->readAt(position_, buffer, capacity, count);
    position_ += *count;
    return status;
  }
  uint64_t knownSize() const override { return size_; }

 private:
  std::unique_ptr<RandomAccessFile> file_;
  uint64_t size_;
  uint64_t position_ = 0;
};

}  // namespace

Status waitWithNotice(const std::function<Status(std::chrono::milliseconds wait)>& attempt,
                      std::chrono::milliseconds limit, const WaitNotice& waiting) {
  Status status = attempt(kWaitBeforeNotice);
  if (!status.is(Status::Kind::kBusy)) return status;
  if (waiting) waiting(status);
  return attempt(limit - kWaitBeforeNotice);
}

Status openSnapshot(FileSystem& files, const std::string& path, const WaitNotice& waiting,
                    std::unique_ptr<RandomAccessFile>* file) {
  std::unique_ptr<StoreFile> opened;
  bool created = false;
  Status status = waitWithNotice(
      [&](std::chrono::milliseconds wait) {
        return files.openStoreFile(path, OpenMode::kRead, wait, &opened, &created);
      },
      kSharingWaitLimit, waiting);
  if (!status.ok()) return status;
  status = waitWithNotice(
      [&](std::chrono::milliseconds wait) {
        return opened->lock(FileLock::kBytes, LockMode::kShared, wait);
      },
      kLockWaitLimit, waiting);
  // Without byte-range locks (some network file systems) a reader can only read as it is.
  if (!status.ok() && !status.is(Status::Kind::kUnsupported)) return status;
  uint64_t size = 0;
  status = opened->size(&size);
  opened->unlock(FileLock::kBytes);
  if (!status.ok()) return status;
  *file = std::make_unique<SnapshotFile>(std::move(opened), size);
  return Status();
}

Status openForReading(FileSystem& files, const std::string& path, const WaitNotice& waiting,
                      std::unique_ptr<SequentialFile>* file) {
  std::unique_ptr<RandomAccessFile> snapshot;
  Status status = openSnapshot(files, path, waiting, &snapshot);
  if (status.ok()) {
    // openSnapshot makes a SnapshotFile, which knows the size it reads up to.
    const uint64_t size = static_cast<const SnapshotFile&>(*snapshot).size();
    *file = std::make_unique<SequentialSnapshot>(std::move(snapshot), size);
  }
  return status;
}

}  // namespace survey
