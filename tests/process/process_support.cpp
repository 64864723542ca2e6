// Process helpers for the tests that run the real executable.
#include "process/process_support.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
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

std::string ScratchDir::read(const std::string& name) const { return readFile(file(name)); }

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

SurveyChild::SurveyChild(const std::string& dir, const ProcessOptions& options) {
  signal(SIGPIPE, SIG_IGN);  // a child that stops reading must not end the test
  int in[2], out[2], err[2];
  if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    setsid();
    const int target = options.stdoutPath.empty()
                           ? out[1]
                           : open(options.stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(in[0], STDIN_FILENO);
    dup2(target, STDOUT_FILENO);
    dup2(err[1], STDERR_FILENO);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
    if (options.beforeStart && !options.beforeStart()) _exit(126);
    const char* program = options.program.c_str();
    if (chdir(dir.c_str()) == 0) execl(program, program, static_cast<char*>(nullptr));
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  close(err[1]);
  input_ = in[1];
  output_ = out[0];
  errors_ = err[0];
  for (int fd : {input_, output_, errors_}) fcntl(fd, F_SETFL, O_NONBLOCK);
}

SurveyChild::~SurveyChild() {
  if (pid_ > 0 && !reaped_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  for (int fd : {input_, output_, errors_}) {
    if (fd >= 0) close(fd);
  }
}

namespace {

// Appends what the pipe `*fd` holds now to `text`; closes it at its end.
void drain(int* fd, std::string* text) {
  if (*fd < 0) return;
  char buffer[65536];
  for (;;) {
    const ssize_t got = read(*fd, buffer, sizeof buffer);
    if (got <= 0) {
      if (got == 0) {
        close(*fd);
        *fd = -1;
      }
      return;
    }
    text->append(buffer, static_cast<size_t>(got));
  }
}

}  // namespace

ProcessResult SurveyChild::run(const std::string& keys, const std::function<bool()>& until,
                               std::chrono::seconds deadline) {
  ProcessResult result;
  const auto end = std::chrono::steady_clock::now() + deadline;
  size_t sent = 0;
  if (keys.empty()) closeInput();
  while (output_ >= 0 || errors_ >= 0) {
    if (until && until()) {
      result.stopped = true;
      return result;
    }
    if (std::chrono::steady_clock::now() > end) {
      result.hung = true;
      kill(pid_, SIGKILL);
      break;
    }
    pollfd fds[3] = {{output_, POLLIN, 0}, {errors_, POLLIN, 0}, {input_, POLLOUT, 0}};
    poll(fds, 3, 5);
    drain(&output_, &result.out);
    drain(&errors_, &result.err);
    if (input_ >= 0 && (fds[2].revents & (POLLOUT | POLLERR))) {
      const ssize_t done = write(input_, keys.data() + sent, keys.size() - sent);
      if (done > 0) sent += static_cast<size_t>(done);
      if (done < 0 && errno == EPIPE) sent = keys.size();
      if (sent == keys.size()) closeInput();
    }
  }
  return wait(result);
}

ProcessResult SurveyChild::run(const std::string& keys) {
  return run(keys, nullptr, std::chrono::seconds(60));
}

ProcessResult SurveyChild::killAndWait(int signal) {
  kill(pid_, signal);
  return wait(ProcessResult());
}

void SurveyChild::closeInput() {
  if (input_ >= 0) close(input_);
  input_ = -1;
}

ProcessResult SurveyChild::wait(ProcessResult result) {
  int status = 0;
  waitpid(pid_, &status, 0);
  reaped_ = true;
  result.exited = WIFEXITED(status);
  result.status = result.exited ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

void ExportProgramTest::write(const std::string& name, const std::string& content) const {
  std::ofstream(scratch_.file(name), std::ios::binary) << content;
}

int ExportProgramTest::run(const std::string& args, const std::string& input) const {
  const std::string command = "cd '" + scratch_.path() + "' && setsid '" SURVEY_EXPORT_EXE "' " +
                              args + " >out 2>err <'" + input + "'";
  const int status = std::system(command.c_str());
  EXPECT_TRUE(WIFEXITED(status)) << command;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

ProcessResult runSurveyProcess(const std::string& dir, const std::string& input,
                               const ProcessOptions& options) {
  return SurveyChild(dir, options).run(input);
}

}  // namespace survey::testing
