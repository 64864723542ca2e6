// The POSIX platform: the console on file descriptors, localtime_r, the controlling terminal
// and termios.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/env.h"
#include "platform/line_editor_posix.h"
#include "platform/posix_io.h"
#include "platform/system_env.h"
#include "platform/terminal_hold.h"

namespace survey {

Status errnoStatus(int error) { return Status::error(std::strerror(error)); }

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

namespace {

class FdInput : public ConsoleInput {
 public:
  size_t read(char* buffer, size_t capacity) override {
    for (;;) {
      ssize_t got = ::read(STDIN_FILENO, buffer, capacity);
      if (got >= 0) return static_cast<size_t>(got);
      if (errno != EINTR) {
        error_ = errnoStatus(errno);
        return 0;
      }
    }
  }
  Status readError() override { return error_; }

 private:
  Status error_;
};

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

class PosixTerminal : public Terminal {
 public:
  bool outputIsTerminal() override { return isatty(STDOUT_FILENO) == 1; }
  bool inputIsTerminal() override { return isatty(STDIN_FILENO) == 1; }

  void waitForKey() override { waitForKeyShowing({}); }

  void waitForKeyShowing(std::string_view prompt) override {
    int fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return;  // no controlling terminal: nothing to wait for
    struct termios original;
    if (tcgetattr(fd, &original) != 0) {
      close(fd);
      return;
    }
    if (!holdTerminal(fd)) {
      close(fd);
      return;
    }
    struct termios raw = original;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
    raw.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &raw) == 0) {
      // tcgetsid succeeds only on the controlling terminal, the one opened as /dev/tty: then
      // standard output already showed the prompt. Otherwise (a file, a pipe, another
      // terminal) the person at this terminal would see nothing.
      const bool showPrompt = !prompt.empty() && tcgetsid(STDOUT_FILENO) == -1;
      if (showPrompt) writeAll(fd, prompt);
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
      // The line of the prompt ends on the terminal: here when this program showed it, at the
      // end (finishLine) when standard output, still to be flushed, is this terminal.
      if (showPrompt) writeAll(fd, "\n");
      owesLineEnd_ = tcgetsid(STDOUT_FILENO) != -1;
    }
    releaseTerminal();
    close(fd);
  }

  void finishLine() override {
    if (!owesLineEnd_) return;
    owesLineEnd_ = false;
    int fd = open("/dev/tty", O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return;
    writeAll(fd, "\n");
    close(fd);
  }

  LineEditor* lineEditor() override {
    if (!inputIsTerminal()) return nullptr;
    if (!editor_) editor_ = makeTerminalLineEditor();
    return editor_.get();
  }

  Status clearScreen(ConsoleOutput& output) override {
    // No shell is started: a terminal gets the ANSI clear (screen and scroll-back); redirected
    // output gets a form feed, as a console's own clear writes when redirected.
    return output.write(outputIsTerminal() ? std::string_view("\x1b[H\x1b[2J\x1b[3J")
                                           : std::string_view("\f"));
  }

 private:
  bool owesLineEnd_ = false;
  std::unique_ptr<LineEditor> editor_;
};

}  // namespace

// Opens each standard stream that is closed on the null device, so that no file opened later
// takes its number and receives what is meant for the console.
void openClosedStandardStreams() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    const int opened = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    // The lowest free number is this one; should it be another, it is moved there.
    if (opened >= 0 && opened != fd) {
      dup2(opened, fd);
      close(opened);
    }
  }
}

namespace {

// Output piped to another program passes through the pipe's buffer: a wider one lets the large
// blocks of a listing or an export through with far fewer switches between the two programs.
// The buffer only grows, and where the system refuses, the pipe stays as it was.
void widenOutputPipe(int fd) {
#ifdef F_SETPIPE_SZ
  constexpr int kPipeBytes = 1024 * 1024;  // what the system allows any user by default
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISFIFO(info.st_mode)) return;
  if (fcntl(fd, F_GETPIPE_SZ) < kPipeBytes) fcntl(fd, F_SETPIPE_SZ, kPipeBytes);
#else
  (void)fd;
#endif
}

}  // namespace

ConsoleParts makeConsoleParts() {
  openClosedStandardStreams();
  widenOutputPipe(STDOUT_FILENO);
  ConsoleParts parts;
  parts.input = std::make_unique<FdInput>();
  parts.output = std::make_unique<FdOutput>(STDOUT_FILENO);
  parts.errors = std::make_unique<FdOutput>(STDERR_FILENO);
  parts.clock = std::make_unique<SystemClock>();
  parts.terminal = std::make_unique<PosixTerminal>();
  return parts;
}

std::vector<std::string> commandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

}  // namespace survey
