// The Windows platform: CRT descriptors in text mode, the console keyboard and "cls".
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

namespace survey {
namespace {

Status errnoStatus(int error) { return Status::error(std::strerror(error)); }

Status lastErrorStatus() {
  char text[256] = {};
  DWORD code = GetLastError();
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                code, 0, text, sizeof text, nullptr);
  while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r')) --length;
  return Status::error(length > 0 ? std::string(text, length)
                                  : "system error " + std::to_string(code));
}

// Text with '\n' line ends, as a Windows text file stores it; a CRLF already there stays one.
std::string withCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  char previous = '\0';
  for (char c : text) {
    if (c == '\n' && previous != '\r') out.push_back('\r');
    out.push_back(c);
    previous = c;
  }
  return out;
}

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

class CrtFile : public SequentialFile {
 public:
  explicit CrtFile(int fd) : fd_(fd) {}
  ~CrtFile() override { _close(fd_); }
  Status read(char* buffer, size_t capacity, size_t* count) override {
    unsigned int chunk = capacity > (1u << 20) ? (1u << 20) : static_cast<unsigned int>(capacity);
    int got = _read(fd_, buffer, chunk);
    if (got < 0) {
      *count = 0;
      return errnoStatus(errno);
    }
    *count = static_cast<size_t>(got);
    return Status();
  }

 private:
  int fd_;
};

class WindowsFileSystem : public FileSystem {
 public:
  Status appendDurably(const std::string& path, std::string_view text) override {
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return lastErrorStatus();
    std::string bytes = withCrLf(text);
    DWORD written = 0;
    Status result;
    if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
      result = lastErrorStatus();
    } else if (written != bytes.size()) {
      result = Status::error("short write");
    } else if (!FlushFileBuffers(file) && GetLastError() != ERROR_INVALID_FUNCTION &&
               GetLastError() != ERROR_INVALID_HANDLE) {
      result = lastErrorStatus();
    }
    CloseHandle(file);
    return result;
  }

  Status openForReading(const std::string& path, std::unique_ptr<SequentialFile>* file) override {
    return openRegularFile<CrtFile>(path, file);
  }

 private:
  // Opens a regular file for reading as a `File` on its descriptor.
  template <typename File, typename Interface>
  static Status openRegularFile(const std::string& path, std::unique_ptr<Interface>* file) {
    int fd = _open(path.c_str(), _O_RDONLY | _O_BINARY);
    if (fd < 0) return errnoStatus(errno);
    struct _stat64 info;
    if (_fstat64(fd, &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) {
      _close(fd);
      return errnoStatus(EACCES);
    }
    *file = std::make_unique<File>(fd);
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
  FileSystem& files() override { return files_; }

 private:
  CrtInput input_;
  CrtOutput output_{1};
  CrtOutput errors_{2};
  SystemClock clock_;
  ConsoleTerminal terminal_;
  WindowsFileSystem files_;
};

}  // namespace

std::unique_ptr<Env> makeSystemEnv() {
  _setmode(0, _O_BINARY);
  return std::make_unique<WindowsEnv>();
}

}  // namespace survey
