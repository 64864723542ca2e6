// The POSIX platform: file descriptors, localtime_r, the controlling terminal and termios.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "platform/env.h"

namespace survey {
namespace {

Status errnoStatus(int error) { return Status::error(std::strerror(error)); }

class FdInput : public ConsoleInput {
 public:
  size_t read(char* buffer, size_t capacity) override {
    for (;;) {
      ssize_t got = ::read(STDIN_FILENO, buffer, capacity);
      if (got >= 0) return static_cast<size_t>(got);
      if (errno != EINTR) return 0;
    }
  }
};

Status writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t done = ::write(fd, bytes.data(), bytes.size());
    if (done < 0) {
      if (errno == EINTR) continue;
      return errnoStatus(errno);
    }
    bytes.remove_prefix(static_cast<size_t>(done));
  }
  return Status();
}

class FdOutput : public ConsoleOutput {
 public:
  explicit FdOutput(int fd) : fd_(fd) {}
  Status write(std::string_view bytes) override { return writeAll(fd_, bytes); }

 private:
  int fd_;
};

class SystemClock : public Clock {
 public:
  LocalTime now() override {
    time_t seconds = time(nullptr);
    struct tm parts {};
    localtime_r(&seconds, &parts);
    return LocalTime{parts.tm_mday, parts.tm_mon, parts.tm_year, parts.tm_hour, parts.tm_min};
  }
};

// The terminal settings to put back if a signal ends the program during the key wait.
int savedTtyFd = -1;
struct termios savedTty;

void restoreTtyAndReraise(int signalNumber) {
  if (savedTtyFd >= 0) tcsetattr(savedTtyFd, TCSANOW, &savedTty);
  signal(signalNumber, SIG_DFL);
  raise(signalNumber);
}

const int kEndingSignals[] = {SIGTERM, SIGHUP, SIGINT, SIGQUIT};

class PosixTerminal : public Terminal {
 public:
  bool outputIsTerminal() override { return isatty(STDOUT_FILENO) == 1; }

  void waitForKey() override {
    int fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return;  // no controlling terminal: nothing to wait for
    struct termios original;
    if (tcgetattr(fd, &original) != 0) {
      close(fd);
      return;
    }
    struct sigaction restore = {};
    struct sigaction previous[sizeof kEndingSignals / sizeof *kEndingSignals];
    restore.sa_handler = restoreTtyAndReraise;
    sigemptyset(&restore.sa_mask);
    savedTty = original;
    savedTtyFd = fd;
    // A signal the program was started with ignored (as under nohup) stays ignored.
    for (size_t i = 0; i < sizeof kEndingSignals / sizeof *kEndingSignals; ++i) {
      sigaction(kEndingSignals[i], nullptr, &previous[i]);
      if (previous[i].sa_handler != SIG_IGN) sigaction(kEndingSignals[i], &restore, nullptr);
    }

    struct termios raw = original;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
    raw.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &raw) == 0) {
      unsigned char key = 0;
      ssize_t got;
      do {
        got = ::read(fd, &key, 1);
      } while (got < 0 && errno == EINTR);
      // An escape sequence (arrow, function key) or a multi-byte character arrives as a burst:
      // take the rest of it so that nothing leaks to whatever reads the terminal next.
      if (got == 1 && (key == 0x1b || key >= 0x80)) {
        raw.c_cc[VMIN] = 0;
        raw.c_cc[VTIME] = 1;  // tenths of a second
        tcsetattr(fd, TCSANOW, &raw);
        char rest[64];
        while (::read(fd, rest, sizeof rest) > 0) {
        }
      }
      tcsetattr(fd, TCSANOW, &original);
    }

    for (size_t i = 0; i < sizeof kEndingSignals / sizeof *kEndingSignals; ++i) {
      sigaction(kEndingSignals[i], &previous[i], nullptr);
    }
    savedTtyFd = -1;
    close(fd);
  }

  Status clearScreen(ConsoleOutput& output) override {
    // No shell is started: a terminal gets the ANSI clear (screen and scroll-back); redirected
    // output gets a form feed, as a console's own clear writes when redirected.
    return output.write(outputIsTerminal() ? std::string_view("\x1b[H\x1b[2J\x1b[3J")
                                           : std::string_view("\f"));
  }
};

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
    return openRegularFile<FdFile>(path, file);
  }

 private:
  // Opens a regular file for reading as a `File` on its descriptor, once a record a killed
  // writer left cut short is complete.
  template <typename File, typename Interface>
  static Status openRegularFile(const std::string& path, std::unique_ptr<Interface>* file) {
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
    *file = std::make_unique<File>(fd);
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

class PosixEnv : public Env {
 public:
  ConsoleInput& input() override { return input_; }
  ConsoleOutput& output() override { return output_; }
  ConsoleOutput& errors() override { return errors_; }
  Clock& clock() override { return clock_; }
  Terminal& terminal() override { return terminal_; }
  FileSystem& files() override { return files_; }

 private:
  FdInput input_;
  FdOutput output_{STDOUT_FILENO};
  FdOutput errors_{STDERR_FILENO};
  SystemClock clock_;
  PosixTerminal terminal_;
  PosixFileSystem files_;
};

}  // namespace

std::unique_ptr<Env> makeSystemEnv() { return std::make_unique<PosixEnv>(); }

}  // namespace survey
