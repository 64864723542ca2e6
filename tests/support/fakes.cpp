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

LineRead FakeLineEditor::readLine(std::string_view prompt, int history, std::string* line) {
  prompts.emplace_back(prompt);
  histories.push_back(history);
  shown += prompt;
  if (next_ == script_.size()) return LineRead::kEnd;
  const Step& step = script_[next_++];
  *line = step.text;
  shown += step.text + "\n";
  return step.kind;
}

LineRead FakeLineEditor::readKey(char* key) {
  if (next_ == script_.size()) return LineRead::kEnd;
  const Step& step = script_[next_++];
  *key = step.text.empty() ? '\r' : step.text[0];
  return step.kind;
}

void FakeTerminal::waitForKey() {
  ++keyWaits;
  outputAtKeyWait = output_.text;
}

Status FakeTerminal::clearScreen(ConsoleOutput& output) {
  return output.write(isTerminal ? "\x1b[H\x1b[2J\x1b[3J" : "\f");
}

namespace {

const char* const kFailure = "Input/output error";

Status missing() { return Status::error("No such file or directory", Status::Kind::kMissing); }
Status directory() { return Status::error("Is a directory", Status::Kind::kNotRegular); }

}  // namespace

// An open file of the memory file system: its content is looked up by path at every step.
class MemoryStoreFile : public StoreFile {
 public:
  MemoryStoreFile(MemoryFileSystem& files, std::string path)
      : files_(files), path_(std::move(path)) {}
  ~MemoryStoreFile() override {
    unlock(FileLock::kBytes);
    unlock(FileLock::kSave);
  }

  Status readAt(uint64_t offset, char* buffer, size_t capacity, size_t* count) override {
    *count = 0;
    if (isUnalignedLargeRead(buffer, capacity)) ++files_.unalignedReads;
    if (files_.step("readAt", path_)) return Status::error(kFailure);
    const std::string* content = find();
    if (content == nullptr) return missing();
    size_t from = static_cast<size_t>(std::min<uint64_t>(offset, content->size()));
    *count = std::min({capacity, files_.readChunk, content->size() - from});
    std::memcpy(buffer, content->data() + from, *count);
    return Status();
  }

  bool isRegular() override { return true; }

  Status lock(FileLock which, LockMode mode, std::chrono::milliseconds) override {
    const bool fails = files_.step("lock", path_);
    if (files_.withoutLocks) {
      return Status::error("no byte-range locks", Status::Kind::kUnsupported);
    }
    MemoryFileSystem::Lock& lock = files_.locks_[{path_, which}];
    const bool held =
        mode == LockMode::kShared ? lock.exclusive : lock.exclusive || lock.shared > 0;
    if (fails || held || files_.lockedElsewhere.count(path_) != 0) {
      return Status::error("another program holds its lock", Status::Kind::kBusy);
    }
    (mode == LockMode::kShared ? ++lock.shared : lock.exclusive = true);
    held_[which] = mode;
    return Status();
  }

  void unlock(FileLock which) override {
    auto held = held_.find(which);
    if (held == held_.end()) return;
    MemoryFileSystem::Lock& lock = files_.locks_[{path_, which}];
    (held->second == LockMode::kShared ? --lock.shared : lock.exclusive = false);
    held_.erase(held);
  }

  Status size(uint64_t* size) override {
    if (files_.step("size", path_)) return Status::error(kFailure);
    const std::string* content = find();
    if (content == nullptr) return missing();
    *size = content->size();
    return Status();
  }

  Status append(std::string_view bytes, size_t* written) override {
    *written = 0;
    bool killLater = false;
    const bool fails = files_.step("append", path_, &killLater);
    std::string* content = find();
    if (content == nullptr) return missing();
    *written = fails || killLater ? bytes.size() / 2 : bytes.size();
    content->append(bytes.substr(0, *written));
    files_.unsyncedFiles.insert(path_);
    if (killLater) throw MemoryFileSystem::Killed();
    return fails ? Status::error("No space left on device") : Status();
  }

  Status sync() override {
    if (files_.step("sync", path_)) return Status::error(kFailure);
    files_.unsyncedFiles.erase(path_);
    return Status();
  }

  Status facts(FileFacts* facts) override {
    if (files_.step("facts", path_)) return Status::error(kFailure);
    *facts = files_.factsOf(path_);
    return Status();
  }

  Status truncate(uint64_t size) override {
    if (files_.step("truncate", path_)) return Status::error(kFailure);
    std::string* content = find();
    if (content == nullptr) return missing();
    content->resize(std::min<uint64_t>(size, content->size()));
    files_.unsyncedFiles.insert(path_);
    return Status();
  }

 private:
  std::string* find() {
    auto found = files_.files.find(path_);
    return found == files_.files.end() ? nullptr : &found->second;
  }

  MemoryFileSystem& files_;
  std::string path_;
  std::map<FileLock, LockMode> held_;
};

std::string MemoryFileSystem::resolve(const std::string& path) const {
  auto link = links.find(path);
  return link == links.end() ? path : link->second;
}

FileFacts MemoryFileSystem::factsOf(const std::string& path) {
  FileFacts facts;
  facts.device = 1;
  uint64_t& inode = inodes_[path];
  if (inode == 0) inode = ++lastInode_;
  facts.file = inode;
  facts.ownedByUser = foreign.count(path) == 0;
  facts.writableByOthers = writableByOthers.count(path) != 0;
  return facts;
}

bool MemoryFileSystem::step(const char* name, const std::string& path, bool* killLater) {
  if (beforeStep) beforeStep(name, path);
  const int now = ++steps;
  if (failWhen && failWhen(name, path)) return true;
  const bool kills = (fault == Fault::kKill && now == faultAt) ||
                     (fault == Fault::kFailThenKill && now == faultAt + 1);
  if (!kills) return fault != Fault::kNone && fault != Fault::kKill && now == faultAt;
  if (killLater == nullptr) throw Killed();
  *killLater = true;
  return false;
}

Status MemoryFileSystem::openStoreFile(const std::string& path, OpenMode mode,
                                       std::chrono::milliseconds, std::unique_ptr<StoreFile>* file,
                                       bool* created) {
  if (created) *created = false;
  const std::string target = resolve(path);
  if (step("open", target)) return Status::error(kFailure);
  if (heldOpenElsewhere.count(target) != 0) {
    return Status::error("Sharing violation.", Status::Kind::kBusy);
  }
  if (directories.count(target) != 0) return directory();
  if (files.count(target) == 0) {
    if (mode == OpenMode::kRead) return missing();
    files[target];
    unsyncedEntries.insert(target);
    if (created) *created = true;
  }
  *file = std::make_unique<MemoryStoreFile>(*this, target);
  return Status();
}

Status MemoryFileSystem::createExclusive(const std::string& path,
                                         std::unique_ptr<StoreFile>* file) {
  if (step("create", path)) return Status::error(kFailure);
  if (files.count(path) != 0 || directories.count(path) != 0 || links.count(path) != 0) {
    return Status::error("File exists");
  }
  files[path];
  inodes_.erase(path);
  unsyncedEntries.insert(path);
  *file = std::make_unique<MemoryStoreFile>(*this, path);
  return Status();
}

Status MemoryFileSystem::readBounded(const std::string& path, std::chrono::milliseconds /*wait*/,
                                     size_t limit, std::string* bytes, FileFacts* facts) {
  bytes->clear();
  if (step("readBounded", path)) return Status::error(kFailure);
  const std::string& name = callsFollowLinks ? resolve(path) : path;
  if (links.count(name) != 0) return Status::error("a symbolic link", Status::Kind::kNotRegular);
  if (directories.count(name) != 0) return directory();
  auto found = files.find(name);
  if (found == files.end()) return missing();
  *bytes = found->second.substr(0, limit);
  *facts = factsOf(name);
  return Status();
}

Status MemoryFileSystem::remove(const std::string& path, std::chrono::milliseconds /*wait*/) {
  if (step("remove", path)) return Status::error(kFailure);
  const std::string name = callsFollowLinks ? resolve(path) : path;
  if (heldOpenElsewhere.count(name) != 0) {
    return Status::error("Sharing violation.", Status::Kind::kBusy);
  }
  if (sticky && foreign.count(name) != 0) return Status::error("Operation not permitted");
  if (directories.count(name) != 0) return directory();
  if (links.erase(name) == 0 && files.erase(name) == 0) return missing();
  inodes_.erase(name);
  unsyncedFiles.erase(name);  // gone, with nothing left to sync
  unsyncedEntries.insert(path);
  return Status();
}

Status MemoryFileSystem::rename(const std::string& from, const std::string& to) {
  if (step("rename", from)) return Status::error(kFailure);
  if (directories.count(to) != 0) return directory();
  auto found = files.find(from);
  if (found == files.end()) return missing();
  std::string bytes = std::move(found->second);
  files.erase(found);
  links.erase(to);
  files[to] = std::move(bytes);
  unsyncedEntries.insert(from);
  unsyncedEntries.insert(to);
  return Status();
}

Status MemoryFileSystem::renameWithoutReplacing(const std::string& from, const std::string& to) {
  if (files.count(to) != 0 || links.count(to) != 0) return Status::error("File exists");
  return rename(from, to);
}

Status MemoryFileSystem::syncDirectory(const std::string& path) {
  if (step("syncDirectory", path)) return Status::error(kFailure);
  unsyncedEntries.clear();
  return Status();
}

std::string FakeEnv::recordFile() const {
  auto found = files_.files.find(kRecordFileName);
  return found == files_.files.end() ? "" : found->second;
}

bool FakeEnv::recordFileExists() const { return files_.files.count(kRecordFileName) != 0; }

}  // namespace survey::testing
