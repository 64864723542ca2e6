// A fault library for LD_PRELOAD: makes chosen calls of a program on regular files fail with
// EIO, take half their bytes, write zeros in place of their bytes, or end the program with
// SIGKILL, so that tests drive the real executable through the faults a disk and a crash bring.
//
// SURVEY_FAULTS is a comma-separated list of CALL=N[:WHAT]: the N-th call of CALL (write,
// fsync, ftruncate, unlink; writes and syncs counted on regular files only, unlinks on any
// path) fails with EIO, or with WHAT = short takes half its bytes, = zeros writes zeros in
// their place and then ends the program, = kill ends the program before the call. any=N:kill
// counts every call of the four together.
#include <dlfcn.h>
#include <errno.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

enum class Call { kWrite, kFsync, kFtruncate, kUnlink, kAny };
enum class What { kFail, kShort, kZeros, kKill };

struct Fault {
  Call call;
  long at;
  What what;
};

const char* const kCallNames[] = {"write", "fsync", "ftruncate", "unlink", "any"};

std::vector<Fault> parseFaults() {
  std::vector<Fault> faults;
  const char* setting = std::getenv("SURVEY_FAULTS");
  std::string text = setting ? setting : "";
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    const std::string item = text.substr(start, end - start);
    start = end + 1;
    const size_t equals = item.find('='), colon = item.find(':');
    if (equals == std::string::npos) continue;
    const std::string name = item.substr(0, equals);
    const std::string what = colon == std::string::npos ? "" : item.substr(colon + 1);
    Fault fault{Call::kAny, std::atol(item.c_str() + equals + 1), What::kFail};
    for (int i = 0; i < 5; ++i) {
      if (name == kCallNames[i]) fault.call = static_cast<Call>(i);
    }
    fault.what = what == "short"   ? What::kShort
                 : what == "zeros" ? What::kZeros
                 : what == "kill"  ? What::kKill
                                   : What::kFail;
    faults.push_back(fault);
  }
  return faults;
}

long counts[5];

// Counts a call of `call` and says what is to become of it, if anything.
const Fault* count(Call call) {
  static const std::vector<Fault> faults = parseFaults();
  const long now = ++counts[static_cast<int>(call)];
  const long any = ++counts[static_cast<int>(Call::kAny)];
  for (const Fault& fault : faults) {
    if ((fault.call == call && fault.at == now) || (fault.call == Call::kAny && fault.at == any)) {
      if (fault.what == What::kKill) kill(getpid(), SIGKILL);
      return &fault;
    }
  }
  return nullptr;
}

bool isRegular(int fd) {
  struct stat info;
  return fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

template <typename Function>
Function next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

// The C library's own declarations name the parameters with reserved names.
// NOLINTBEGIN(readability-inconsistent-declaration-parameter-name)
extern "C" {

ssize_t write(int fd, const void* buffer, size_t size) {
  static const auto real = next<ssize_t (*)(int, const void*, size_t)>("write");
  const Fault* fault = isRegular(fd) ? count(Call::kWrite) : nullptr;
  if (fault == nullptr) return real(fd, buffer, size);
  if (fault->what == What::kShort) return real(fd, buffer, size / 2);
  if (fault->what == What::kZeros) {
    const std::vector<char> zeros(size, '\0');
    real(fd, zeros.data(), size);
    kill(getpid(), SIGKILL);
  }
  errno = EIO;
  return -1;
}

int fsync(int fd) {
  static const auto real = next<int (*)(int)>("fsync");
  if (isRegular(fd) && count(Call::kFsync) != nullptr) {
    errno = EIO;
    return -1;
  }
  return real(fd);
}

int ftruncate(int fd, off_t size) {
  static const auto real = next<int (*)(int, off_t)>("ftruncate");
  if (count(Call::kFtruncate) != nullptr) {
    errno = EIO;
    return -1;
  }
  return real(fd, size);
}

int unlink(const char* path) {
  static const auto real = next<int (*)(const char*)>("unlink");
  if (count(Call::kUnlink) != nullptr) {
    errno = EIO;
    return -1;
  }
  return real(path);
}

}  // extern "C"
// NOLINTEND(readability-inconsistent-declaration-parameter-name)
