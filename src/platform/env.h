// The program's only door to the operating system: console, clock, terminal and files.
// The core takes an Env; main passes the real one, tests pass fakes.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace survey {

// Success, or a failure with the system's reason.
class Status {
 public:
  Status() = default;
  static Status error(std::string reason) { return Status(std::move(reason)); }
  bool ok() const { return reason_.empty(); }
  const std::string& reason() const { return reason_; }

 private:
  explicit Status(std::string reason)
      : reason_(reason.empty() ? std::string("unknown error") : std::move(reason)) {}
  std::string reason_;
};

// The keyboard side of the console (standard input).
class ConsoleInput {
 public:
  virtual ~ConsoleInput() = default;
  // Blocks until some input is there; returns the byte count, 0 at end of input or on error.
  virtual size_t read(char* buffer, size_t capacity) = 0;
};

// A byte sink: standard output (both output paths end here) or standard error.
class ConsoleOutput {
 public:
  virtual ~ConsoleOutput() = default;
  // Writes all of `bytes`, with the platform's line ends, or fails with the reason.
  virtual Status write(std::string_view bytes) = 0;
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
  // Clears the console. `output` is standard output, already flushed by the caller.
  virtual Status clearScreen(ConsoleOutput& output) = 0;
};

// A file opened for reading from start to end.
class SequentialFile {
 public:
  virtual ~SequentialFile() = default;
  // Reads up to `capacity` bytes into `buffer`; `*count` is 0 at the end of the file.
  virtual Status read(char* buffer, size_t capacity, size_t* count) = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Appends `text` (lines ended by '\n', written with the platform's line ends) to `path`,
  // creating it, with one write on an append-mode descriptor, and syncs it to stable storage.
  // Where a kill can cut that write short, the next append or opening for reading completes it.
  virtual Status appendDurably(const std::string& path, std::string_view text) = 0;
  // Opens an existing regular file for reading; anything else (missing, a directory) fails.
  virtual Status openForReading(const std::string& path, std::unique_ptr<SequentialFile>* file) = 0;
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
