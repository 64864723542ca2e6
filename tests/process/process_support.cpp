// Process helpers for the tests that run the real executable.
#include "process/process_support.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace survey::testing {

ScratchDir::ScratchDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "survey-test-XXXXXX").string();
  path_ = mkdtemp(pattern.data()) != nullptr ? pattern : "";
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

ProcessResult runSurveyProcess(const std::string& dir, const std::string& input,
                               const std::string& stdoutPath) {
  // Named per caller, so that several runs can share a directory.
  const std::string stem = dir + "/.run-" + std::to_string(getpid());
  const std::string inPath = stem + ".in", outPath = stem + ".out", errPath = stem + ".err";
  std::ofstream(inPath, std::ios::binary) << input;
  pid_t child = fork();
  if (child == 0) {
    setsid();
    if (chdir(dir.c_str()) != 0) _exit(126);
    int in = open(inPath.c_str(), O_RDONLY);
    int out = open((stdoutPath.empty() ? outPath : stdoutPath).c_str(),
                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0) _exit(126);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    execl(SURVEY_EXE, "survey", static_cast<char*>(nullptr));
    _exit(127);
  }
  ProcessResult result;
  int status = 0;
  waitpid(child, &status, 0);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  if (stdoutPath.empty()) result.out = readFile(outPath);
  result.err = readFile(errPath);
  for (const std::string& path : {inPath, outPath, errPath}) unlink(path.c_str());
  return result;
}

}  // namespace survey::testing
