// Running the real executable in a scratch directory, in a session of its own (no controlling
// terminal), its standard input fed from a pipe and its outputs collected.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

namespace survey::testing {

// A fresh directory under the system's temporary directory, removed with its content.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  // The bytes of the file `name` in it; empty when there is none.
  std::string read(const std::string& name) const;

 private:
  std::string path_;
};

std::string readFile(const std::string& path);

struct ProcessResult {
  bool exited = false;   // ended by exit (else by a signal, or killed after the deadline)
  int status = -1;       // exit status, or 128 + signal
  bool hung = false;     // outlived the deadline and was killed
  bool stopped = false;  // left running on request
  std::string out;
  std::string err;
};

// How a child starts besides its directory.
struct ProcessOptions {
  std::string program = SURVEY_EXE;
  std::string stdoutPath;  // standard output goes to this file instead of being collected
  // Runs in the child once its streams are set, before the program starts (drop privileges,
  // close a stream); false makes the child end with status 126.
  std::function<bool()> beforeStart;
};

// A started program with a pipe to its standard input and pipes from its outputs.
class SurveyChild {
 public:
  explicit SurveyChild(const std::string& dir, const ProcessOptions& options = {});
  ~SurveyChild();
  SurveyChild(const SurveyChild&) = delete;
  SurveyChild& operator=(const SurveyChild&) = delete;
  pid_t pid() const { return pid_; }

  // Feeds `keys` (then the end of input) while collecting the outputs until the child ends,
  // and waits for it. Once `until` says so, stops feeding and reading and leaves the child
  // running (`stopped`). A child that outlives `deadline` is killed and counts as hung.
  ProcessResult run(const std::string& keys, const std::function<bool()>& until,
                    std::chrono::seconds deadline);
  ProcessResult run(const std::string& keys);
  ProcessResult killAndWait(int signal);

 private:
  void closeInput();
  ProcessResult wait(ProcessResult result);

  pid_t pid_ = -1;
  bool reaped_ = false;
  int input_ = -1;
  int output_ = -1;
  int errors_ = -1;
};

// Runs survey in `dir` to its end with `input` as standard input.
ProcessResult runSurveyProcess(const std::string& dir, const std::string& input,
                               const ProcessOptions& options = {});

// Tests of survey-export run as a program, in a scratch directory of their own.
class ExportProgramTest : public ::testing::Test {
 protected:
  void write(const std::string& name, const std::string& content) const;
  std::string read(const std::string& name) const { return scratch_.read(name); }
  // Runs survey-export in the directory with the shell words `args` (redirections included),
  // in a session of its own; standard input from `input`, standard output and error to the
  // files "out" and "err" there. Returns its exit status.
  int run(const std::string& args, const std::string& input = "/dev/null") const;

 private:
  ScratchDir scratch_;

 protected:
  const std::filesystem::path dir_{scratch_.path()};
};

}  // namespace survey::testing
