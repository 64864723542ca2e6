// In-memory stand-ins for the platform, and a runner for whole sessions against them.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/env.h"

namespace survey::testing {

// Whether a read of `capacity` bytes into `buffer` is a large read into a buffer that does not
// start on a page, which some processors copy into several times slower.
bool isUnalignedLargeRead(const char* buffer, size_t capacity);

// Typed input from a string, handed out at most `chunk` bytes per read.
class FakeInput : public ConsoleInput {
 public:
  explicit FakeInput(std::string keys, size_t chunk = 1 << 20)
      : keys_(std::move(keys)), chunk_(chunk) {}
  size_t read(char* buffer, size_t capacity) override;
  Status readError() override { return position_ == keys_.size() ? endError : Status(); }
  Status endError;  // what the read after the last key fails with (success: the end)
  int reads = 0;
  int unalignedReads = 0;  // reads of a page or more into a buffer not on a page boundary

 private:
  std::string keys_;
  size_t chunk_;
  size_t position_ = 0;
};

// Collects what is written; fails every write once `failAfter` bytes have gone out.
class FakeOutput : public ConsoleOutput {
 public:
  Status write(std::string_view bytes) override;
  std::string text;
  int writes = 0;
  size_t failAfter = std::string::npos;
};

class FakeClock : public Clock {
 public:
  explicit FakeClock(LocalTime time) : time_(time) {}
  LocalTime now() override {
    ++calls;
    return time_;
  }
  int calls = 0;

 private:
  LocalTime time_;
};

// A line editor that plays a script: each step is a line entered, a key pressed (the text's
// first byte) or Ctrl+C / Ctrl+D. Past the script the input ends.
class FakeLineEditor : public LineEditor {
 public:
  struct Step {
    LineRead kind;
    std::string text;
  };
  struct Interrupted {};  // thrown where the program would end as Ctrl+C ends it

  explicit FakeLineEditor(std::vector<Step> script) : script_(std::move(script)) {}
  LineRead readLine(std::string_view prompt, int history, std::string* line) override;
  LineRead readKey(char* key) override;
  void show(std::string_view text) override { shown += text; }
  [[noreturn]] void interrupt() override { throw Interrupted(); }

  std::string shown;                 // all it showed at the terminal, prompts included
  std::vector<std::string> prompts;  // the prompt of each line read
  std::vector<int> histories;        // the history list of each line read
  size_t unused() const { return script_.size() - next_; }

 private:
  std::vector<Step> script_;
  size_t next_ = 0;
};

// Records key waits and clears; clears write what the POSIX terminal writes.
class FakeTerminal : public Terminal {
 public:
  explicit FakeTerminal(const FakeOutput& output) : output_(output) {}
  bool outputIsTerminal() override { return isTerminal; }
  bool inputIsTerminal() override { return inputIsConsole; }
  void waitForKey() override;
  LineEditor* lineEditor() override { return editor; }
  Status clearScreen(ConsoleOutput& output) override;

  bool isTerminal = false;
  bool inputIsConsole = false;   // standard input is a terminal: answers come line by line
  LineEditor* editor = nullptr;  // reads them when set
  int keyWaits = 0;
  std::string outputAtKeyWait;  // standard output as it stood when the key wait began

 private:
  const FakeOutput& output_;
};

// Files as strings, with the record store's steps. A path in `directories` behaves as a
// directory, one in `links` as a symbolic link to the path it maps to. Every step (each call
// of FileSystem or StoreFile that can fail) is counted, and the one numbered `faultAt` fails
// or kills, or fails with a kill at the next: a kill throws Killed, and the files it had open
// let their locks go.
class MemoryFileSystem : public FileSystem {
 public:
  enum class Fault { kNone, kFail, kKill, kFailThenKill };
  struct Killed {};

  Status openStoreFile(const std::string& path, OpenMode mode, std::chrono::milliseconds wait,
                       std::unique_ptr<StoreFile>* file, bool* created) override;
  Status createExclusive(const std::string& path, std::unique_ptr<StoreFile>* file) override;
  Status readBounded(const std::string& path, std::chrono::milliseconds wait, size_t limit,
                     std::string* bytes, FileFacts* facts) override;
  Status remove(const std::string& path, std::chrono::milliseconds wait) override;
  bool removesNameOnly() const override { return !callsFollowLinks; }
  Status rename(const std::string& from, const std::string& to) override;
  Status renameWithoutReplacing(const std::string& from, const std::string& to) override;
  Status syncDirectory(const std::string& path) override;
  std::string textFileBytes(std::string_view text) override { return std::string(text); }
  Status modifiedAt(const std::string& path, LocalTime* time) override {
    const auto found = modified.find(path);
    if (found == modified.end()) return FileSystem::modifiedAt(path, time);
    *time = found->second;
    return Status();
  }

  std::map<std::string, std::string> files;
  std::map<std::string, LocalTime> modified;  // files' modification times; others unknown
  std::set<std::string> directories;
  std::map<std::string, std::string> links;
  size_t readChunk = 1 << 20;  // the most bytes handed out by a read of an open file
  int unalignedReads = 0;      // reads of a page or more into a buffer not on a page boundary

  // Faults: at step `faultAt`, a failing write takes half its bytes first, a failing lock
  // finds the lock held; a kill in a write leaves half its bytes in.
  Fault fault = Fault::kNone;
  int faultAt = 0;
  // Says, before every step with its name and path, whether it fails besides.
  std::function<bool(const char* step, const std::string& path)> failWhen;
  int steps = 0;
  // Runs before every step with its name and path, as another program would meanwhile.
  std::function<void(const char* step, const std::string& path)> beforeStep;
  // Paths whose lock, or the file itself, another program holds for good; a file held so can
  // be read by name but not removed, as a scanner or a spreadsheet holds it.
  std::set<std::string> lockedElsewhere;
  std::set<std::string> heldOpenElsewhere;
  // Paths owned by another user, and paths that others may write to. In a `sticky` directory
  // another user's entry cannot be removed.
  std::set<std::string> foreign;
  std::set<std::string> writableByOthers;
  bool sticky = false;
  // As under Wine: reading and removing a link's name act on its target, which looks like a
  // file of its own.
  bool callsFollowLinks = false;
  // A file system without byte-range locks: every lock is unsupported.
  bool withoutLocks = false;
  // Entries created or removed, and files written, since their last sync.
  std::set<std::string> unsyncedEntries;
  std::set<std::string> unsyncedFiles;

  // The path a step works on, once links are followed.
  std::string resolve(const std::string& path) const;
  // The facts of the file `path` (not followed): a file made anew gets a new identity.
  FileFacts factsOf(const std::string& path);
  // Counts a step; true when it is to fail. Throws Killed when it is to kill, unless
  // `killLater` (a write that first takes half its bytes), which is then set.
  bool step(const char* name, const std::string& path, bool* killLater = nullptr);

 private:
  friend class MemoryStoreFile;
  struct Lock {
    int shared = 0;
    bool exclusive = false;
  };
  std::map<std::pair<std::string, FileLock>, Lock> locks_;
  std::map<std::string, uint64_t> inodes_;
  uint64_t lastInode_ = 0;
};

class FakeEnv : public Env {
 public:
  explicit FakeEnv(std::string keys, LocalTime time = defaultTime())
      : input_(std::move(keys)), clock_(time), terminal_(output_) {}
  ConsoleInput& input() override { return input_; }
  ConsoleOutput& output() override { return output_; }
  ConsoleOutput& errors() override { return errors_; }
  Clock& clock() override { return clock_; }
  Terminal& terminal() override { return terminal_; }
  FileSystem& files() override { return files_; }

  // 21:05 on 7 December 2026.
  static LocalTime defaultTime() { return LocalTime{7, 11, 126, 21, 5}; }

  FakeInput& fakeInput() { return input_; }
  FakeOutput& fakeOutput() { return output_; }
  FakeOutput& fakeErrors() { return errors_; }
  FakeClock& fakeClock() { return clock_; }
  FakeTerminal& fakeTerminal() { return terminal_; }
  MemoryFileSystem& memoryFiles() { return files_; }
  // The record file's content, or "" when it does not exist.
  std::string recordFile() const;
  bool recordFileExists() const;

 private:
  FakeInput input_;
  FakeOutput output_;
  FakeOutput errors_;
  FakeClock clock_;
  FakeTerminal terminal_;
  MemoryFileSystem files_;
};

}  // namespace survey::testing
