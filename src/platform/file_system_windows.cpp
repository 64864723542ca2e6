// The Windows file system: the record store's steps on handles, with LockFileEx for the lock.
// Paths are UTF-8 in the program and go to the wide calls.
#include <windows.h>
// After windows.h, which it needs.
#include <aclapi.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "platform/env.h"
#include "platform/line_ends.h"
#include "platform/system_env.h"
#include "platform/windows_support.h"

namespace survey {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kChunk = 1u << 20;
// How long a rename retries while another program briefly has the target open (a scanner, an
// indexer), as Windows refuses to replace a file in use.
constexpr milliseconds kRenameWait{5000};

// The failure GetLastError() describes, with its kind. A missing file is said in the C
// library's words, as on every platform.
Status failure() {
  const DWORD code = GetLastError();
  if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) {
    return Status::error(errnoStatus(ENOENT).reason(), Status::Kind::kMissing);
  }
  if (code == ERROR_FILENAME_EXCED_RANGE) return errnoStatus(ENAMETOOLONG);
  Status status = lastErrorStatus();
  const bool busy = code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION;
  return Status::error(status.reason(), busy ? Status::Kind::kBusy : Status::Kind::kFailed);
}

// The wide name of `path` for the file calls. A long one (near MAX_PATH or past it) is made
// absolute and given the \\?\ prefix, which lifts the limit whatever the system's setting;
// a shorter one stays as it is, so that device names such as NUL keep their meaning.
std::wstring fileName(const std::string& path) {
  std::wstring wide = widen(path);
  if (wide.size() < 200 || wide.rfind(L"\\\\?\\", 0) == 0) return wide;
  std::replace(wide.begin(), wide.end(), L'/', L'\\');
  const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (size == 0) return wide;
  std::wstring full(size, L'\0');
  const DWORD length = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
  if (length == 0 || length >= size) return wide;
  full.resize(length);
  if (full.rfind(L"\\\\.\\", 0) == 0) return full;                           // a device
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);  // \\server\share
  return L"\\\\?\\" + full;
}

// The failure of opening `path` for a store file: a directory by that name is said to be one,
// as on other systems, not as the access it denies.
Status openFailure(const std::string& path) {
  const DWORD code = GetLastError();
  const DWORD attributes = GetFileAttributesW(fileName(path).c_str());
  if (code == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return errnoStatus(EISDIR);
  }
  SetLastError(code);
  return failure();
}

// Calls `attempt` (a call that fails through GetLastError) until it succeeds, fails otherwise
// than `busy` says, or `wait` has passed, pausing a little longer each time.
template <typename Attempt, typename Busy>
bool retryWhileBusy(Attempt attempt, Busy busy, milliseconds wait) {
  const auto deadline = steady_clock::now() + wait;
  DWORD step = 1;
  for (;;) {
    if (attempt()) return true;
    const DWORD code = GetLastError();
    const auto now = steady_clock::now();
    if (!busy(code) || now >= deadline) {
      SetLastError(code);
      return false;
    }
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - now).count();
    Sleep(std::min<DWORD>(step, static_cast<DWORD>(left)));
    step = std::min<DWORD>(step * 2, 50);
  }
}

bool isSharingViolation(DWORD code) {
  return code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION;
}

size_t index(FileLock which) { return which == FileLock::kSave ? 0 : 1; }

// The byte of a lock, far past any data.
OVERLAPPED lockRange(FileLock which) {
  OVERLAPPED at = {};
  at.Offset = static_cast<DWORD>(lockByte(which));
  at.OffsetHigh = static_cast<DWORD>(lockByte(which) >> 32);
  return at;
}

// Whether `sid` is the user of this process or the owner its new files get.
bool isThisUser(PSID sid) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  bool same = false;
  for (TOKEN_INFORMATION_CLASS which : {TokenUser, TokenOwner}) {
    DWORD size = 0;
    GetTokenInformation(token, which, nullptr, 0, &size);
    std::vector<char> buffer(size);
    if (size == 0 || !GetTokenInformation(token, which, buffer.data(), size, &size)) continue;
    PSID mine = which == TokenUser ? reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid
                                   : reinterpret_cast<TOKEN_OWNER*>(buffer.data())->Owner;
    same = same || EqualSid(sid, mine);
  }
  CloseHandle(token);
  return same;
}

// Whether the file of `handle` is owned by the user of this process. A file system that keeps
// no owners (FAT), where every user may write everything anyway, counts each file as the
// user's: a handle opened for reading may always read its owner where there is one.
bool ownedByThisUser(HANDLE handle) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                      nullptr, &descriptor) != ERROR_SUCCESS) {
    return true;
  }
  const bool mine = owner == nullptr || isThisUser(owner);
  LocalFree(descriptor);
  return mine;
}

class WindowsStoreFile : public StoreFile {
 public:
  WindowsStoreFile(HANDLE handle, bool regular) : handle_(handle), regular_(regular) {}
  ~WindowsStoreFile() override {
    unlock(FileLock::kBytes);
    unlock(FileLock::kSave);
    CloseHandle(handle_);
  }

  // Positional reads: an OVERLAPPED offset on a handle opened for synchronous reads reads
  // there and waits, whatever other threads read meanwhile.
  Status readAt(uint64_t offset, char* buffer, size_t capacity, size_t* count) override {
    *count = 0;
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    if (!ReadFile(handle_, buffer, static_cast<DWORD>(std::min<size_t>(capacity, kChunk)), &got,
                  &at)) {
      return GetLastError() == ERROR_HANDLE_EOF ? Status() : failure();
    }
    *count = got;
    return Status();
  }

  bool isRegular() override { return regular_; }

  Status lock(FileLock which, LockMode mode, milliseconds wait) override {
    const DWORD flags =
        LOCKFILE_FAIL_IMMEDIATELY | (mode == LockMode::kExclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    const bool taken = retryWhileBusy(
        [&] {
          OVERLAPPED at = lockRange(which);
          return LockFileEx(handle_, flags, 0, 1, 0, &at) != 0;
        },
        [](DWORD code) { return code == ERROR_LOCK_VIOLATION || code == ERROR_IO_PENDING; }, wait);
    if (taken) {
      locked_[index(which)] = true;
      return Status();
    }
    const DWORD code = GetLastError();
    // A file system without byte-range locks: said to the caller.
    if (code == ERROR_INVALID_FUNCTION || code == ERROR_NOT_SUPPORTED) {
      return Status::error("the file system has no byte-range locks", Status::Kind::kUnsupported);
    }
    if (code == ERROR_LOCK_VIOLATION || code == ERROR_IO_PENDING) {
      return Status::error("another program holds its lock", Status::Kind::kBusy);
    }
    return failure();
  }

  void unlock(FileLock which) override {
    if (!locked_[index(which)]) return;
    OVERLAPPED at = lockRange(which);
    UnlockFileEx(handle_, 0, 1, 0, &at);
    locked_[index(which)] = false;
  }

  Status size(uint64_t* size) override {
    LARGE_INTEGER value;
    if (!GetFileSizeEx(handle_, &value)) return failure();
    *size = static_cast<uint64_t>(value.QuadPart);
    return Status();
  }

  // At the end of the file, wherever the handle's position is: both offset halves 0xFFFFFFFF,
  // named for every write (a device ignores it), so no write ever lands at offset 0.
  Status append(std::string_view bytes, size_t* written) override {
    *written = 0;
    while (*written < bytes.size()) {
      OVERLAPPED atEnd = {};
      atEnd.Offset = 0xFFFFFFFF;
      atEnd.OffsetHigh = 0xFFFFFFFF;
      DWORD done = 0;
      const DWORD size = static_cast<DWORD>(std::min<size_t>(bytes.size() - *written, kChunk));
      if (!WriteFile(handle_, bytes.data() + *written, size, &done, &atEnd)) {
        return failure();
      }
      if (done == 0) return Status::error("the write took nothing");
      *written += done;
    }
    return Status();
  }

  Status sync() override {
    if (FlushFileBuffers(handle_)) return Status();
    const DWORD code = GetLastError();
    // A device such as NUL or the console cannot be flushed.
    if (code == ERROR_INVALID_FUNCTION || code == ERROR_INVALID_HANDLE) return Status();
    return failure();
  }

  // The owner is compared with the user of this process and with the owner it gives to the
  // files it creates (the Administrators group, for an elevated one). Who else may write
  // is left to the folder's inherited permissions, as for the record file itself.
  Status facts(FileFacts* facts) override {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle_, &info)) return failure();
    facts->device = info.dwVolumeSerialNumber;
    facts->file = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    facts->ownedByUser = ownedByThisUser(handle_);
    facts->writableByOthers = false;
    return Status();
  }

  Status truncate(uint64_t size) override {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFilePointerEx(handle_, at, nullptr, FILE_BEGIN) || !SetEndOfFile(handle_)) {
      return failure();
    }
    return Status();
  }

 private:
  HANDLE handle_;
  bool regular_;
  bool locked_[2] = {false, false};
};

// Opens `path` with CreateFileW, again while another program holds it without sharing, for at
// most `wait`.
HANDLE openWaiting(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                   DWORD flags, milliseconds wait) {
  const std::wstring wide = fileName(path);
  HANDLE handle = INVALID_HANDLE_VALUE;
  retryWhileBusy(
      [&] {
        handle = CreateFileW(wide.c_str(), access, share, nullptr, disposition, flags, nullptr);
        return handle != INVALID_HANDLE_VALUE;
      },
      isSharingViolation, wait);
  return handle;
}

// Whether the handle is a regular file, by how it behaves: a file on disk with a size, and not
// a directory. A reparse point that opened as such a file (a cloud-synced placeholder, a link
// followed to its target) is one; only a character device or a pipe is not.
bool isRegularFile(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info;
  LARGE_INTEGER size;
  return GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info) &&
         (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && GetFileSizeEx(handle, &size);
}

// Whether the handle opened with FILE_FLAG_OPEN_REPARSE_POINT is the link itself (or another
// reparse point) rather than a file: such a name is never read, written or removed.
bool isReparsePoint(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info;
  return !GetFileInformationByHandle(handle, &info) ||
         (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

class WindowsFileSystem : public FileSystem {
 public:
  Status openStoreFile(const std::string& path, OpenMode mode, milliseconds wait,
                       std::unique_ptr<StoreFile>* file, bool* created) override {
    if (created) *created = false;
    const bool append = mode == OpenMode::kAppend;
    // Writers share writing with each other (the lock orders them) and everyone shares reading.
    HANDLE handle = openWaiting(path, append ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ,
                                append ? FILE_SHARE_READ | FILE_SHARE_WRITE : kShareAll,
                                append ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, wait);
    if (handle == INVALID_HANDLE_VALUE) return openFailure(path);
    if (created) *created = append && GetLastError() != ERROR_ALREADY_EXISTS;
    const bool regular = isRegularFile(handle);
    if (!regular && !append) {
      CloseHandle(handle);
      return Status::error("not a regular file", Status::Kind::kNotRegular);
    }
    *file = std::make_unique<WindowsStoreFile>(handle, regular);
    return Status();
  }

  Status createExclusive(const std::string& path, std::unique_ptr<StoreFile>* file) override {
    HANDLE handle =
        CreateFileW(fileName(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return failure();
    *file = std::make_unique<WindowsStoreFile>(handle, true);
    return Status();
  }

  Status readBounded(const std::string& path, milliseconds wait, size_t limit, std::string* bytes,
                     FileFacts* facts) override {
    bytes->clear();
    // The link itself, and a directory too, so that either is told apart from a missing file.
    HANDLE handle = openWaiting(path, GENERIC_READ, kShareAll, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, wait);
    if (handle == INVALID_HANDLE_VALUE) return failure();
    WindowsStoreFile file(handle, true);
    if (!isRegularFile(handle) || isReparsePoint(handle)) {
      return Status::error("not a regular file", Status::Kind::kNotRegular);
    }
    Status status = file.facts(facts);
    if (!status.ok()) return status;
    bytes->resize(limit);
    size_t count = 0;
    for (size_t got = 1; got > 0 && count < limit && status.ok(); count += got) {
      status = file.readAt(count, bytes->data() + count, limit - count, &got);
    }
    bytes->resize(count);
    return status;
  }

  Status remove(const std::string& path, milliseconds wait) override {
    const std::wstring wide = fileName(path);
    const bool removed =
        retryWhileBusy([&] { return DeleteFileW(wide.c_str()) != 0; }, isSharingViolation, wait);
    return removed ? Status() : failure();
  }

  // Replaces the target in one step, waiting a little while another program has it open.
  Status rename(const std::string& from, const std::string& to) override {
    const std::wstring wideFrom = fileName(from);
    const std::wstring wideTo = fileName(to);
    const bool renamed = retryWhileBusy(
        [&] {
          return MoveFileExW(wideFrom.c_str(), wideTo.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
        },
        isSharingViolation, kRenameWait);
    return renamed ? Status() : failure();
  }

  // Without MOVEFILE_REPLACE_EXISTING the move fails when the target is there.
  Status renameWithoutReplacing(const std::string& from, const std::string& to) override {
    const std::wstring wideFrom = fileName(from);
    const std::wstring wideTo = fileName(to);
    const bool renamed = retryWhileBusy(
        [&] { return MoveFileExW(wideFrom.c_str(), wideTo.c_str(), MOVEFILE_WRITE_THROUGH) != 0; },
        isSharingViolation, kRenameWait);
    return renamed ? Status() : failure();
  }

  // Wine acts on a link's target for DeleteFileW, for a handle opened to be deleted on close
  // and for MoveFileExW, and reports the target's attributes: a name may not be what it looks.
  bool removesNameOnly() const override { return false; }

  // Flushes the directory's handle. Where a directory cannot be opened for that or flushed
  // (FAT, some network shares), its entries are written with the file's own flush.
  Status syncDirectory(const std::string& path) override {
    const size_t slash = path.find_last_of("/\\");
    const std::string directory = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    HANDLE handle =
        CreateFileW(fileName(directory).c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    DWORD code = ERROR_SUCCESS;
    if (handle == INVALID_HANDLE_VALUE) {
      code = GetLastError();
    } else {
      if (!FlushFileBuffers(handle)) code = GetLastError();
      CloseHandle(handle);
    }
    if (code == ERROR_SUCCESS || code == ERROR_ACCESS_DENIED || code == ERROR_INVALID_FUNCTION ||
        code == ERROR_INVALID_PARAMETER || code == ERROR_NOT_SUPPORTED) {
      return Status();
    }
    SetLastError(code);
    return failure();
  }

  std::string textFileBytes(std::string_view text) override { return withCrLf(text); }

  Status modifiedAt(const std::string& path, LocalTime* time) override {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (GetFileAttributesExW(widen(path).c_str(), GetFileExInfoStandard, &data) == 0) {
      return failure();
    }
    FILETIME local{};
    SYSTEMTIME parts{};
    if (FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) == 0 ||
        FileTimeToSystemTime(&local, &parts) == 0) {
      return failure();
    }
    *time = LocalTime{parts.wDay, parts.wMonth - 1, parts.wYear - 1900, parts.wHour, parts.wMinute};
    return Status();
  }
};

}  // namespace

std::unique_ptr<FileSystem> makeSystemFileSystem() { return std::make_unique<WindowsFileSystem>(); }

}  // namespace survey
