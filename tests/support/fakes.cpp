// The fakes' behaviour.
#include "support/fakes.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/page_buffer.h"
#include "records/record_file.h"

namespace survey::testing {

bool isUnalignedLargeRead(const char* buffer, size_t capacity) {
  return capacity >= kPageSize && reinterpret_cast<uintptr_t>(buffer) % kPageSize != 0;
}

size_t FakeInput::read(char* buffer, size_t capacity) {
  ++reads;
  if (isUnalignedLargeRead(buffer, capacity)) ++unalignedReads;
  size_t count = std::min({capacity, chunk_, keys_.size() - position_});
  std::memcpy(buffer, keys_.data() + position_, count);
  position_ += count;
  return count;
}

Status FakeOutput::write(std::string_view bytes) {
  ++writes;
  if (failAfter != std::string::npos && text.size() + bytes.size() > failAfter) {
    return Status::error("No space left on device");
  }
  text.append(bytes);
  return Status();
}

void FakeTerminal::waitForKey() {
  ++keyWaits;
  outputAtKeyWait = output_.text;
}

Status FakeTerminal::clearScreen(ConsoleOutput& output) {
  return output.write(isTerminal ? "\x1b[H\x1b[2J\x1b[3J" : "\f");
}

Status MemoryFileSystem::appendDurably(const std::string& path, std::string_view text) {
  ++appends;
  if (!failAppends.empty()) return Status::error(failAppends);
  if (directories.count(path) != 0) return Status::error("Is a directory");
  files[path].append(text);
  return Status();
}

namespace {

class MemoryFile : public SequentialFile {
 public:
  MemoryFile(std::string content, size_t chunk, int* unalignedReads)
      : content_(std::move(content)), chunk_(chunk), unalignedReads_(unalignedReads) {}
  Status read(char* buffer, size_t capacity, size_t* count) override {
    if (isUnalignedLargeRead(buffer, capacity)) ++*unalignedReads_;
    *count = std::min({capacity, chunk_, content_.size() - position_});
    std::memcpy(buffer, content_.data() + position_, *count);
    position_ += *count;
    return Status();
  }

 private:
  std::string content_;
  size_t chunk_;
  int* unalignedReads_;
  size_t position_ = 0;
};

}  // namespace

template <typename File, typename Interface>
Status MemoryFileSystem::open(const std::string& path, std::unique_ptr<Interface>* file) {
  if (directories.count(path) != 0) return Status::error("Is a directory");
  auto found = files.find(path);
  if (found == files.end()) return Status::error("No such file or directory");
  *file = std::make_unique<File>(found->second, readChunk, &unalignedReads);
  return Status();
}

Status MemoryFileSystem::openForReading(const std::string& path,
                                        std::unique_ptr<SequentialFile>* file) {
  return open<MemoryFile>(path, file);
}

std::string FakeEnv::recordFile() const {
  auto found = files_.files.find(kRecordFileName);
  return found == files_.files.end() ? "" : found->second;
}

bool FakeEnv::recordFileExists() const { return files_.files.count(kRecordFileName) != 0; }

}  // namespace survey::testing
