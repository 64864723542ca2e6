// The POSIX file system: the record store's steps on descriptors, with flock and a byte-range
// lock for its two locks.
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/env.h"
#include "platform/posix_io.h"
#include "platform/system_env.h"

namespace survey {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

Status failure(int error) {
  return Status::error(std::strerror(error),
                       error == ENOENT ? Status::Kind::kMissing : Status::Kind::kFailed);
}

Status notRegular(const struct stat& info) {
  return Status::error(S_ISDIR(info.st_mode) ? std::strerror(EISDIR) : "not a regular file",
                       Status::Kind::kNotRegular);
}

void pause(milliseconds length) {
  struct timespec time = {static_cast<time_t>(length.count() / 1000),
                          static_cast<long>(length.count() % 1000) * 1000000L};
  while (nanosleep(&time, &time) != 0 && errno == EINTR) {
  }
}

// Runs `attempt` (which sets errno on failure) until it succeeds or fails with an error other
// than EINTR.
template <typename Attempt>
auto retryInterrupted(Attempt attempt) {
  for (;;) {
    auto result = attempt();
    if (result >= 0 || errno != EINTR) return result;
  }
}

// Each lock is an open-file-description lock on its byte, which meets the POSIX locks that
// other programs (and Wine, for a Windows program's LockFileEx) take on that byte, also on a
// shared folder. The save lock is flock on the whole file besides, as earlier versions and
// flock(1) take it; it is taken first and let go last.
int tryByteLock(int fd, FileLock which, short type) {
  struct flock range = {};
  range.l_type = type;
  range.l_whence = SEEK_SET;
  range.l_start = static_cast<off_t>(lockByte(which));
  range.l_len = 1;
  const int result = retryInterrupted([&] { return fcntl(fd, F_OFD_SETLK, &range); });
  if (result < 0 && (errno == EAGAIN || errno == EACCES)) errno = EWOULDBLOCK;
  return result;
}

// Tries the lock once; -1 with errno EWOULDBLOCK when another holder has it. Where the byte
// cannot be locked at all, the save lock keeps its flock.
int tryLock(int fd, FileLock which, short type) {
  if (which == FileLock::kBytes) return tryByteLock(fd, which, type);
  if (type == F_UNLCK) {
    tryByteLock(fd, which, F_UNLCK);
    return flock(fd, LOCK_UN);
  }
  const int operation = type == F_RDLCK ? LOCK_SH : LOCK_EX;
  if (retryInterrupted([&] { return flock(fd, operation | LOCK_NB); }) < 0) return -1;
  if (tryByteLock(fd, which, type) == 0) return 0;
  if (errno != EWOULDBLOCK) return -1;  // no byte-range locks here: the flock stays
  flock(fd, LOCK_UN);
  errno = EWOULDBLOCK;
  return -1;
}

class PosixStoreFile : public StoreFile {
 public:
  PosixStoreFile(int fd, bool regular) : fd_(fd), regular_(regular) {}
  ~PosixStoreFile() override { close(fd_); }  // lets the locks go with it

  Status readAt(uint64_t offset, char* buffer, size_t capacity, size_t* count) override {
    ssize_t got =
        retryInterrupted([&] { return pread(fd_, buffer, capacity, static_cast<off_t>(offset)); });
    *count = got > 0 ? static_cast<size_t>(got) : 0;
    return got < 0 ? failure(errno) : Status();
  }

  bool isRegular() override { return regular_; }

  Status lock(FileLock which, LockMode mode, milliseconds wait) override {
    const short type = mode == LockMode::kShared ? F_RDLCK : F_WRLCK;
    const auto deadline = steady_clock::now() + wait;
    for (;;) {
      if (tryLock(fd_, which, type) == 0) return Status();
      // A file system without byte-range locks (some network ones): said to the caller.
      if (errno == ENOLCK || errno == EOPNOTSUPP || errno == ENOSYS) {
        return Status::error("the file system has no byte-range locks", Status::Kind::kUnsupported);
      }
      if (errno != EWOULDBLOCK) return failure(errno);
      const auto now = steady_clock::now();
      if (now >= deadline) {
        return Status::error("another program holds its lock", Status::Kind::kBusy);
      }
      // Tried again every millisecond, as neither lock can be waited for with a time limit.
      pause(std::min(milliseconds{1}, std::chrono::duration_cast<milliseconds>(deadline - now)));
    }
  }

  void unlock(FileLock which) override { tryLock(fd_, which, F_UNLCK); }

  Status size(uint64_t* size) override {
    struct stat info;
    if (fstat(fd_, &info) != 0) return failure(errno);
    *size = static_cast<uint64_t>(info.st_size);
    return Status();
  }

  Status facts(FileFacts* facts) override {
    struct stat info;
    if (fstat(fd_, &info) != 0) return failure(errno);
    facts->device = static_cast<uint64_t>(info.st_dev);
    facts->file = static_cast<uint64_t>(info.st_ino);
    facts->ownedByUser = info.st_uid == geteuid();
    facts->writableByOthers = (info.st_mode & (S_IWGRP | S_IWOTH)) != 0;
    return Status();
  }

  // One write normally takes all of `bytes`; should it take less, the next one tells why.
  Status append(std::string_view bytes, size_t* written) override {
    *written = 0;
    while (*written < bytes.size()) {
      ssize_t done = retryInterrupted(
          [&] { return ::write(fd_, bytes.data() + *written, bytes.size() - *written); });
      if (done < 0) return failure(errno);
      if (done == 0) return Status::error("the write took nothing");
      *written += static_cast<size_t>(done);
    }
    return Status();
  }

  Status sync() override {
    if (fsync(fd_) == 0 || errno == EINVAL || errno == ENOTSUP) return Status();
    return failure(errno);
  }

  Status truncate(uint64_t size) override {
    if (retryInterrupted([&] { return ftruncate(fd_, static_cast<off_t>(size)); }) == 0) {
      return Status();
    }
    return failure(errno);
  }

 private:
  int fd_;
  bool regular_;
};

// Takes the descriptor `fd` (or the failure that left it -1) as a store file; with
// `regularOnly`, anything but a regular file fails. A named pipe always does.
Status adopt(int fd, bool regularOnly, std::unique_ptr<StoreFile>* file) {
  if (fd < 0) return failure(errno);
  struct stat info;
  if (fstat(fd, &info) != 0) {
    Status status = failure(errno);
    close(fd);
    return status;
  }
  const bool regular = S_ISREG(info.st_mode);
  if (!regular && (regularOnly || S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode))) {
    close(fd);
    return notRegular(info);
  }
  // Opened without waiting (a named pipe with no writer); writes to a device may wait.
  if (!regular) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  *file = std::make_unique<PosixStoreFile>(fd, regular);
  return Status();
}

class PosixFileSystem : public FileSystem {
 public:
  Status openStoreFile(const std::string& path, OpenMode mode, milliseconds,
                       std::unique_ptr<StoreFile>* file, bool* created) override {
    if (created) *created = false;
    if (mode == OpenMode::kRead) {
      return adopt(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK), true, file);
    }
    // Read and write: the store reads back what a killed writer left at the end.
    const int flags = O_RDWR | O_APPEND | O_CLOEXEC | O_NONBLOCK;
    int fd = -1;
    // Whether this call created the file: opened as it is, else created anew, else (a link to
    // nowhere, or a race with another creator) opened again.
    for (int attempt = 0; attempt < 3 && fd < 0; ++attempt) {
      fd = open(path.c_str(), flags);
      if (fd >= 0 || errno != ENOENT) break;
      fd = open(path.c_str(), flags | O_CREAT | O_EXCL, 0666);
      if (fd >= 0 && created) *created = true;
      if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0 && errno == EEXIST) {
      fd = open(path.c_str(), flags | O_CREAT, 0666);
      if (fd >= 0 && created) *created = true;
    }
    return adopt(fd, false, file);
  }

  Status createExclusive(const std::string& path, std::unique_ptr<StoreFile>* file) override {
    return adopt(
        open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600),
        true, file);
  }

  // Nothing here holds a file against readers: `wait` is not needed.
  Status readBounded(const std::string& path, milliseconds /*wait*/, size_t limit,
                     std::string* bytes, FileFacts* facts) override {
    bytes->clear();
    int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 && errno == ELOOP) {
      return Status::error("a symbolic link", Status::Kind::kNotRegular);
    }
    std::unique_ptr<StoreFile> file;
    Status status = adopt(fd, true, &file);
    if (status.ok()) status = file->facts(facts);
    if (!status.ok()) return status;
    bytes->resize(limit);
    size_t count = 0;
    for (size_t got = 1; got > 0 && count < limit && status.ok(); count += got) {
      status = file->readAt(count, bytes->data() + count, limit - count, &got);
    }
    bytes->resize(count);
    return status;
  }

  Status remove(const std::string& path, milliseconds /*wait*/) override {
    return unlink(path.c_str()) == 0 ? Status() : failure(errno);
  }

  Status rename(const std::string& from, const std::string& to) override {
    return ::rename(from.c_str(), to.c_str()) == 0 ? Status() : failure(errno);
  }

  Status renameWithoutReplacing(const std::string& from, const std::string& to) override {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
      return Status();
    }
    if (errno != EINVAL && errno != ENOSYS) return failure(errno);
    // A file system without that kind of rename: a new link fails the same way when the name
    // is taken, and the old one is then dropped.
    if (link(from.c_str(), to.c_str()) != 0) return failure(errno);
    unlink(from.c_str());
    return Status();
  }

  // unlink removes a link itself, never what it points to.
  bool removesNameOnly() const override { return true; }

  Status syncDirectory(const std::string& path) override {
    size_t slash = path.rfind('/');
    std::string directory = slash == std::string::npos ? "."
                            : slash == 0               ? "/"
                                                       : path.substr(0, slash);
    int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return failure(errno);
    Status status;
    if (fsync(fd) != 0 && errno != EINVAL && errno != ENOTSUP) status = failure(errno);
    close(fd);
    return status;
  }

  std::string textFileBytes(std::string_view text) override { return std::string(text); }

  Status modifiedAt(const std::string& path, LocalTime* time) override {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return failure(errno);
    struct tm parts {};
    const time_t seconds = info.st_mtime;
    if (localtime_r(&seconds, &parts) == nullptr) return failure(errno);
    *time = LocalTime{parts.tm_mday, parts.tm_mon, parts.tm_year, parts.tm_hour, parts.tm_min};
    return Status();
  }
};

}  // namespace

std::unique_ptr<FileSystem> makeSystemFileSystem() { return std::make_unique<PosixFileSystem>(); }

}  // namespace survey
