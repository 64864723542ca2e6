// The program's only door to the operating system: console, clock, terminal and files.
// The core takes an Env; main passes the real one, tests pass fakes.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace survey {

// The keyboard side of the console (standard input).
class ConsoleInput {
 public:
  virtual ~ConsoleInput() = default;
  // Blocks until some input is there; returns the byte count, 0 at end of input or on error.
  virtual size_t read(char* buffer, size_t capacity) = 0;
  // After a read that gave 0: the error it met, or success at the end of input.
  virtual Status readError() { return Status(); }
};

// A byte sink: standard output (both output paths end here) or standard error.
class ConsoleOutput {
 public:
  virtual ~ConsoleOutput() = default;
  // Writes all of `bytes`, with the platform's line ends, or fails with the reason.
  virtual Status write(std::string_view bytes) = 0;
  // Writes all of `bytes` with their line ends as they are (rows of a data format that says
  // its own line ends), or fails with the reason.
  virtual Status writeAsIs(std::string_view bytes) { return write(bytes); }
};

// A broken-down local time, as the console shows it.
struct LocalTime {
  int dayOfMonth = 1;  // 1 to 31
  int month = 0;       // 0 to 11
  int yearsSince1900 = 0;
  int hour = 0;  // 0 to 23
  int minute = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime now() = 0;
};

// What a read at the terminal ended with: a line entered, the end of input (Ctrl+D on an
// empty line) or an interrupt (Ctrl+C).
enum class LineRead { kLine, kEnd, kInterrupt };

// Line editing at the terminal, for answers typed there. What it shows goes to the terminal
// (or standard error), never to standard output.
class LineEditor {
 public:
  virtual ~LineEditor() = default;
  // Reads one line, edited at the terminal after `prompt`; `history` names the list of
  // earlier lines that Up and Down recall. `*line` has no line end.
  virtual LineRead readLine(std::string_view prompt, int history, std::string* line) = 0;
  // Waits for one key: kInterrupt for Ctrl+C, kEnd for Ctrl+D, else kLine with its first
  // byte in `*key` ('\r' for Enter).
  virtual LineRead readKey(char* key) = 0;
  // Shows `text` on the terminal.
  virtual void show(std::string_view text) = 0;
  // Ends the program as Ctrl+C at a terminal does, the terminal's settings put back.
  [[noreturn]] virtual void interrupt() = 0;
};

// The console as a device, beyond its byte streams.
class Terminal {
 public:
  virtual ~Terminal() = default;
  // Whether standard output is an interactive console (it then flushes per line).
  virtual bool outputIsTerminal() = 0;
  // Whether standard input is an interactive console, where answers are typed line by line.
  virtual bool inputIsTerminal() = 0;
  // Waits for one key press without echo; returns at once when there is no console keyboard.
  virtual void waitForKey() = 0;
  // Waits as waitForKey does. When standard output is not the console the key is read from,
  // first shows `prompt` on that console, and ends its line after the key, so that nobody
  // waits at a blank screen. By default it only waits.
  virtual void waitForKeyShowing(std::string_view /*prompt*/) { waitForKey(); }
  // Clears the console. `output` is standard output, already flushed by the caller.
  virtual Status clearScreen(ConsoleOutput& output) = 0;
  // After the last output: ends the line a key wait left on the terminal, so that whatever
  // writes there next starts on a line of its own.
  virtual void finishLine() {}
  // The line editor when answers are typed at a terminal; null when they are piped in.
  virtual LineEditor* lineEditor() { return nullptr; }
};

// A file opened for reading from start to end.
class SequentialFile {
 public:
  virtual ~SequentialFile() = default;
  // Reads up to `capacity` bytes into `buffer`; `*count` is 0 at the end of the file.
  virtual Status read(char* buffer, size_t capacity, size_t* count) = 0;
  // The bytes that reads give in all, if known (0 if not, as for standard input).
  virtual uint64_t knownSize() const { return 0; }
};

// A file read at any offset.
class RandomAccessFile {
 public:
  virtual ~RandomAccessFile() = default;
  // Reads up to `capacity` bytes from `offset` into `buffer`; `*count` is 0 at or past the end.
  // A read may give fewer bytes than asked before the end.
  virtual Status readAt(uint64_t offset, char* buffer, size_t capacity, size_t* count) = 0;
};

enum class LockMode { kShared, kExclusive };

// A file has two locks. A writer holds kSave exclusively for the whole of a save, and kBytes
// exclusively only while it changes the file's bytes; a reader takes kBytes shared to read
// the file's size, so it waits for an append in progress but not for a whole save.
enum class FileLock { kSave, kBytes };

// The byte each lock covers, the same on every system so that writers on Linux and on Windows
// meet on a shared folder: far past any data, as Windows locks are mandatory and a locked
// byte could not be read by others.
inline constexpr uint64_t kSaveLockByte = uint64_t{1} << 62;
inline constexpr uint64_t lockByte(FileLock which) {
  return which == FileLock::kSave ? kSaveLockByte : kSaveLockByte + 1;
}

// What the record store checks of a file before it trusts what the file says.
struct FileFacts {
  // With `file`, names the file on this machine: device and inode, or volume and file ID.
  uint64_t device = 0;
  uint64_t file = 0;
  bool ownedByUser = false;       // owned by the user who runs the program
  bool writableByOthers = false;  // others than its owner may write to it
};

// A file opened for the record store. Each call is one step of an append or of a read of
// the records, so that tests can fail or stop the store at any of them.
class StoreFile : public RandomAccessFile {
 public:
  // Whether this is a regular file; a device such as /dev/null has no lock and no size.
  virtual bool isRegular() = 0;
  // Takes one of the file's locks, waiting at most `wait`; busy when another holder kept it
  // that long, unsupported where the file system has no byte-range locks. The locks cover no
  // byte of data, so other programs' plain reads go on.
  virtual Status lock(FileLock which, LockMode mode, std::chrono::milliseconds wait) = 0;
  virtual void unlock(FileLock which) = 0;
  virtual Status size(uint64_t* size) = 0;
  // Who owns the open file, who may write to it, and which file it is.
  virtual Status facts(FileFacts* facts) = 0;
  // Appends `bytes` at the end of the file with one write (continued only should the system
  // take less); `*written` is how many got in, fewer than asked when it fails (a full disk).
  virtual Status append(std::string_view bytes, size_t* written) = 0;
  // Brings the file to stable storage; a device that cannot be synced by its nature counts
  // as synced, an error of the sync itself (EIO, no space) does not.
  virtual Status sync() = 0;
  // Cuts the file back to `size` bytes.
  virtual Status truncate(uint64_t size) = 0;
};

enum class OpenMode { kRead, kAppend };

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // The steps the record store is built from. Paths are UTF-8.
  // Opens `path`, following links: for reading a regular file, or for appending (also to a
  // device), creating it when missing (then `*created`). Waits at most `wait` while another
  // program holds the file open without sharing it (busy).
  virtual Status openStoreFile(const std::string& path, OpenMode mode,
                               std::chrono::milliseconds wait, std::unique_ptr<StoreFile>* file,
                               bool* created) = 0;
  // Creates `path` for appending, readable and writable by its owner alone; fails when
  // anything has that name, a link included, which is never followed.
  virtual Status createExclusive(const std::string& path, std::unique_ptr<StoreFile>* file) = 0;
  // Reads at most `limit` bytes of the regular file `path`, never through a link, and its
  // facts: missing when there is nothing by that name, not-regular when it is a link,
  // directory or device, busy when another program held it without sharing for `wait`.
  virtual Status readBounded(const std::string& path, std::chrono::milliseconds wait, size_t limit,
                             std::string* bytes, FileFacts* facts) = 0;
  // Removes the entry `path`: the link itself, not what it points to, where removesNameOnly.
  // Busy when another program held it open, without letting it be removed, for `wait`.
  virtual Status remove(const std::string& path, std::chrono::milliseconds wait) = 0;
  // Whether a call on a name acts on that entry alone. Where a call on a link's name may act
  // on its target instead (Windows, where a link may also look like the file it points to),
  // nothing but a file known to be the program's own is removed.
  virtual bool removesNameOnly() const = 0;
  // Gives the file `from` the name `to` in one step, replacing what `to` names; both are in
  // one directory. Readers see the old file or the new one, never a part.
  virtual Status rename(const std::string& from, const std::string& to) = 0;
  // Gives the file `from` the name `to` in one step unless something has that name already:
  // then fails, and both names stay as they were. Both are in one directory.
  virtual Status renameWithoutReplacing(const std::string& from, const std::string& to) = 0;
  // Syncs the directory that holds `path`, so that entries created or removed there survive a
  // power cut; a file system that cannot sync a directory by its nature counts as synced.
  virtual Status syncDirectory(const std::string& path) = 0;
  // `text` (lines ended by '\n') as a text file holds it here: with CR LF on Windows.
  virtual std::string textFileBytes(std::string_view text) = 0;
  // The local time `path` was last modified, following links. Fails where it cannot be known.
  virtual Status modifiedAt(const std::string& /*path*/, LocalTime* /*time*/) {
    return Status::error("modification time not known");
  }
};

class Env {
 public:
  virtual ~Env() = default;
  virtual ConsoleInput& input() = 0;
  virtual ConsoleOutput& output() = 0;
  virtual ConsoleOutput& errors() = 0;
  virtual Clock& clock() = 0;
  virtual Terminal& terminal() = 0;
  virtual FileSystem& files() = 0;
};

// The real operating system; each platform file defines it.
std::unique_ptr<Env> makeSystemEnv();

// The program's arguments after its name, as UTF-8 (on Windows taken from the wide command
// line, whatever the ANSI code page); `argc` and `argv` are main's.
std::vector<std::string> commandLineArguments(int argc, char** argv);

}  // namespace survey
