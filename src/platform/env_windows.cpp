// The Windows platform: the console on CRT descriptors, the console keyboard and "cls".
#include <conio.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <windows.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/env.h"
#include "platform/line_ends.h"
#include "platform/windows_support.h"

namespace survey {
namespace {

class CrtInput : public ConsoleInput {
 public:
  size_t read(char* buffer, size_t capacity) override {
    unsigned int chunk = capacity > 65536 ? 65536u : static_cast<unsigned int>(capacity);
    int got = _read(0, buffer, chunk);
    return got > 0 ? static_cast<size_t>(got) : 0;
  }
};

class CrtOutput : public ConsoleOutput {
 public:
  explicit CrtOutput(int fd) : fd_(fd) { _setmode(fd_, _O_BINARY); }
  Status write(std::string_view bytes) override {
    std::string text = withCrLf(bytes);
    std::string_view rest = text;
    while (!rest.empty()) {
      unsigned int chunk = rest.size() > 65536 ? 65536u : static_cast<unsigned int>(rest.size());
      int done = _write(fd_, rest.data(), chunk);
      if (done < 0) return errnoStatus(errno);
      rest.remove_prefix(static_cast<size_t>(done));
    }
    return Status();
  }

 private:
  int fd_;
};

class SystemClock : public Clock {
 public:
  LocalTime now() override {
    std::time_t seconds = std::time(nullptr);
    std::tm parts{};
    localtime_s(&parts, &seconds);
    return LocalTime{parts.tm_mday, parts.tm_mon, parts.tm_year, parts.tm_hour, parts.tm_min};
  }
};

class ConsoleTerminal : public Terminal {
 public:
  bool outputIsTerminal() override { return _isatty(1) != 0; }
  bool inputIsTerminal() override { return _isatty(0) != 0; }

  void waitForKey() override {
    // An extended key (arrow, function key) arrives as a lead byte and a second code.
    int key = _getch();
    if (key == 0 || key == 0xE0) _getch();
  }

  Status clearScreen(ConsoleOutput&) override {
    std::system("cls");  // its result is ignored: a failed clear is only cosmetic
    return Status();
  }
};

class WindowsEnv : public Env {
 public:
  ConsoleInput& input() override { return input_; }
  ConsoleOutput& output() override { return output_; }
  ConsoleOutput& errors() override { return errors_; }
  Clock& clock() override { return clock_; }
  Terminal& terminal() override { return terminal_; }
  FileSystem& files() override { return *files_; }

 private:
  CrtInput input_;
  CrtOutput output_{1};
  CrtOutput errors_{2};
  SystemClock clock_;
  ConsoleTerminal terminal_;
  std::unique_ptr<FileSystem> files_ = makeSystemFileSystem();
};

}  // namespace

std::unique_ptr<Env> makeSystemEnv() {
  _setmode(0, _O_BINARY);
  return std::make_unique<WindowsEnv>();
}

}  // namespace survey
