// The Windows file system: regular files read from start to end, and durable appends.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <windows.h>

#include <cerrno>

#include "platform/env.h"
#include "platform/line_ends.h"
#include "platform/windows_support.h"

namespace survey {
namespace {

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
    return openRegularFile(path, file);
  }

 private:
  // Opens a regular file for reading.
  static Status openRegularFile(const std::string& path, std::unique_ptr<SequentialFile>* file) {
    int fd = _wopen(widen(path).c_str(), _O_RDONLY | _O_BINARY);
    if (fd < 0) return errnoStatus(errno);
    struct _stat64 info;
    if (_fstat64(fd, &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) {
      _close(fd);
      return errnoStatus(EACCES);
    }
    *file = std::make_unique<CrtFile>(fd);
    return Status();
  }
};

}  // namespace

std::unique_ptr<FileSystem> makeSystemFileSystem() { return std::make_unique<WindowsFileSystem>(); }

}  // namespace survey
