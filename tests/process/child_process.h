// Starting the program as a child process for the process-level tests: its own session (no
// controlling terminal), a temporary working directory, piped standard input.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>

namespace survey::testing {

// A fresh directory under the system's temporary directory, removed with its files.
class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/survey-fault-XXXXXX";
    path_ = mkdtemp(pattern);
  }
  ~TempDir() { std::system(("rm -rf '" + path_ + "'").c_str()); }
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  std::string read(const std::string& name) const {
    std::ifstream in(file(name), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

 private:
  std::string path_;
};

struct ChildResult {
  bool exited = false;  // ended by exit (else by a signal, or killed after the deadline)
  int status = -1;      // exit status, or the signal
  bool hung = false;
  bool stopped = false;  // left running on request
  std::string out;
  std::string err;
};

// A started child with a pipe to its standard input and pipes from its outputs. With
// `stdoutPath`, standard output goes to that file instead.
class Child {
 public:
  Child(const std::string& dir, const char* stdoutPath = nullptr) {
    signal(SIGPIPE, SIG_IGN);  // a child that stops reading must not end the test
    int in[2], out[2], err[2];
    if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      setsid();
      dup2(in[0], STDIN_FILENO);
      int target = stdoutPath ? open(stdoutPath, O_WRONLY) : out[1];
      dup2(target, STDOUT_FILENO);
      dup2(err[1], STDERR_FILENO);
      for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
      if (chdir(dir.c_str()) == 0) execl(SURVEY_EXE, SURVEY_EXE, static_cast<char*>(nullptr));
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
  ~Child() {
    if (pid_ > 0 && !reaped_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    for (int fd : {input_, output_, errors_}) {
      if (fd >= 0) close(fd);
    }
  }
  pid_t pid() const { return pid_; }

  // Feeds `keys` (then end of input) while collecting the outputs until the child ends, and
  // waits for it. With `until`, stops feeding and reading once it says so and leaves the child
  // running (`stopped`). A child that outlives the deadline is killed and counts as hung.
  template <typename Until>
  ChildResult run(const std::string& keys, Until until, std::chrono::seconds deadline) {
    ChildResult result;
    auto end = std::chrono::steady_clock::now() + deadline;
    size_t sent = 0;
    if (keys.empty()) closeInput();
    while (output_ >= 0 || errors_ >= 0) {
      if (until()) {
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
        ssize_t done = write(input_, keys.data() + sent, keys.size() - sent);
        if (done > 0) sent += static_cast<size_t>(done);
        if (done < 0 && errno == EPIPE) sent = keys.size();
        if (sent == keys.size()) closeInput();
      }
    }
    return wait(result);
  }

  ChildResult run(const std::string& keys) {
    return run(
        keys, [] { return false; }, std::chrono::seconds(60));
  }

  ChildResult killAndWait(int signal) {
    kill(pid_, signal);
    return wait(ChildResult());
  }

 private:
  void closeInput() {
    if (input_ >= 0) close(input_);
    input_ = -1;
  }
  static void drain(int* fd, std::string* text) {
    if (*fd < 0) return;
    char buffer[65536];
    for (;;) {
      ssize_t got = read(*fd, buffer, sizeof buffer);
      if (got > 0) {
        text->append(buffer, static_cast<size_t>(got));
      } else {
        if (got == 0) {
          close(*fd);
          *fd = -1;
        }
        return;
      }
    }
  }
  ChildResult wait(ChildResult result) {
    int status = 0;
    waitpid(pid_, &status, 0);
    reaped_ = true;
    result.exited = WIFEXITED(status);
    result.status = result.exited ? WEXITSTATUS(status) : WTERMSIG(status);
    return result;
  }

  pid_t pid_ = -1;
  bool reaped_ = false;
  int input_ = -1;
  int output_ = -1;
  int errors_ = -1;
};

}  // namespace survey::testing
