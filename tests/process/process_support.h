// Running the real executable in a scratch directory, without a controlling terminal.
#pragma once

#include <string>

namespace survey::testing {

struct ProcessResult {
  int status = -1;  // exit status, or 128 + signal
  std::string out;
  std::string err;
};

// A fresh directory under the system's temporary directory, removed with its content.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Starts the survey executable in `dir` in a session of its own, with `input` as standard input.
// `stdoutPath` redirects standard output to that file instead of capturing it.
ProcessResult runSurveyProcess(const std::string& dir, const std::string& input,
                               const std::string& stdoutPath = "");

std::string readFile(const std::string& path);

}  // namespace survey::testing
