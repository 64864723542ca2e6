// The POSIX file system: regular files read from start to end, and durable appends guarded by
// a lock and a journal beside the file.
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "platform/env.h"
#include "platform/posix_io.h"

namespace survey {
namespace {

// Runs `read` (a read call) again while a signal interrupts it.
template <typename Read>
Status readRetrying(Read read, size_t* count) {
  for (;;) {
    ssize_t got = read();
    if (got >= 0) {
      *count = static_cast<size_t>(got);
      return Status();
    }
    if (errno != EINTR) {
      *count = 0;
      return errnoStatus(errno);
    }
  }
}

class FdFile : public SequentialFile {
 public:
  explicit FdFile(int fd) : fd_(fd) {}
  ~FdFile() override { close(fd_); }
  Status read(char* buffer, size_t capacity, size_t* count) override {
    return readRetrying([&] { return ::read(fd_, buffer, capacity); }, count);
  }

 private:
  int fd_;
};

// A kill can cut even a single write short at a page boundary. So an append first keeps the
// text and the offset it goes to in a journal beside the file ("<path>.pending", synced), and
// removes it once the text is in; whoever next appends to or lists the file completes a text
// that a killed writer left cut short. An exclusive lock on the file orders the writers of
// all processes.
std::string journalPath(const std::string& path) { return path + ".pending"; }

bool readWhole(int fd, std::string* text) {
  char buffer[8192];
  for (;;) {
    ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got == 0) return true;
    if (got < 0 && errno != EINTR) return false;
    if (got > 0) text->append(buffer, static_cast<size_t>(got));
  }
}

// Completes the text a journal describes if the file holds a cut-short start of it at the
// recorded offset, then drops the journal. Runs with the file locked.
void completeInterruptedAppend(int fd, const std::string& path) {
  const std::string journal = journalPath(path);
  int journalFd = open(journal.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (journalFd < 0) return;
  std::string content;
  bool readOk = readWhole(journalFd, &content);
  close(journalFd);
  // "<offset> <length>\n<text>"; anything else is a journal cut short itself: the append it
  // announced never began.
  size_t headerEnd = content.find('\n');
  char* next = nullptr;
  unsigned long long offset = std::strtoull(content.c_str(), &next, 10);
  unsigned long long length = std::strtoull(next, nullptr, 10);
  struct stat info;
  if (readOk && headerEnd != std::string::npos && content.size() - headerEnd - 1 == length &&
      fstat(fd, &info) == 0 && static_cast<unsigned long long>(info.st_size) >= offset &&
      static_cast<unsigned long long>(info.st_size) < offset + length) {
    std::string_view text = std::string_view(content).substr(headerEnd + 1);
    std::string written(static_cast<size_t>(info.st_size) - offset, '\0');
    int readFd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    bool readBack =
        readFd >= 0 && pread(readFd, written.data(), written.size(), static_cast<off_t>(offset)) ==
                           static_cast<ssize_t>(written.size());
    if (readFd >= 0) close(readFd);
    if (readBack && text.substr(0, written.size()) == written &&
        writeAll(fd, text.substr(written.size())).ok()) {
      fsync(fd);
    }
  }
  unlink(journal.c_str());
}

// Writes the journal for `text` about to go at the end of the locked file; false (and no
// journal) when it cannot, and the append then goes ahead without one.
bool writeJournal(int fd, const std::string& path, std::string_view text) {
  struct stat info;
  if (fstat(fd, &info) != 0) return false;
  const std::string journal = journalPath(path);
  int journalFd = open(journal.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (journalFd < 0) return false;
  std::string content = std::to_string(info.st_size) + " " + std::to_string(text.size()) + "\n";
  content.append(text);
  bool ok = writeAll(journalFd, content).ok() && fsync(journalFd) == 0;
  if (close(journalFd) != 0) ok = false;
  if (!ok) unlink(journal.c_str());
  return ok;
}

void lock(int fd) {
  while (flock(fd, LOCK_EX) != 0 && errno == EINTR) {
  }
}

class PosixFileSystem : public FileSystem {
 public:
  Status appendDurably(const std::string& path, std::string_view text) override {
    // O_NONBLOCK: a named pipe with no reader fails at once instead of hanging the program.
    int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0) return errnoStatus(errno);
    // Only a regular file gets the lock and the journal; a device such as /dev/null does not.
    struct stat info;
    bool journaled = false;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
      lock(fd);
      completeInterruptedAppend(fd, path);
      journaled = writeJournal(fd, path, text);
    }
    // One write keeps a record whole against concurrent writers; a short write (a full disk)
    // is reported, never continued here: the journal completes it at the next append.
    Status result;
    ssize_t done;
    do {
      done = ::write(fd, text.data(), text.size());
    } while (done < 0 && errno == EINTR);
    if (done < 0) {
      result = errnoStatus(errno);
    } else if (static_cast<size_t>(done) != text.size()) {
      result = Status::error("short write (" + std::to_string(done) + " of " +
                             std::to_string(text.size()) + " bytes)");
    } else if (fsync(fd) != 0 && errno != EINVAL && errno != ENOTSUP) {
      // EINVAL and ENOTSUP: a device such as /dev/null that cannot be synced by its nature.
      result = errnoStatus(errno);
    }
    if (journaled && result.ok()) unlink(journalPath(path).c_str());
    if (close(fd) != 0 && result.ok() && errno != EINTR) result = errnoStatus(errno);
    return result;
  }

  Status openForReading(const std::string& path, std::unique_ptr<SequentialFile>* file) override {
    return openRegularFile(path, file);
  }

 private:
  // Opens a regular file for reading, once a record a killed
  // writer left cut short is complete.
  static Status openRegularFile(const std::string& path, std::unique_ptr<SequentialFile>* file) {
    // O_NONBLOCK: opening a named pipe does not wait for a writer; it is refused below.
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return errnoStatus(errno);
    struct stat info;
    if (fstat(fd, &info) != 0) {
      Status failure = errnoStatus(errno);
      close(fd);
      return failure;
    }
    if (!S_ISREG(info.st_mode)) {
      close(fd);
      return errnoStatus(S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
    }
    completePendingAppend(path);
    *file = std::make_unique<FdFile>(fd);
    return Status();
  }

  // Before a listing: completes a record a killed writer left cut short, if it can.
  static void completePendingAppend(const std::string& path) {
    if (access(journalPath(path).c_str(), F_OK) != 0) return;
    int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return;
    lock(fd);
    completeInterruptedAppend(fd, path);
    close(fd);
  }
};

}  // namespace

std::unique_ptr<FileSystem> makeSystemFileSystem() { return std::make_unique<PosixFileSystem>(); }

}  // namespace survey
