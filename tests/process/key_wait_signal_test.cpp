// Signals while the program waits for the closing key in a pseudo-terminal: an ending signal
// puts the terminal's settings back before the program goes; an ignored one stays ignored.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>

namespace survey::testing {
namespace {

bool sameSettings(const termios& a, const termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
         a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

// The program in a session of its own with a pseudo-terminal as its terminal, keys and screen.
class PtyRun {
 public:
  explicit PtyRun(int ignoredSignal) {
    if (openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0) return;
    tcgetattr(slave_, &before_);
    pid_ = fork();
    if (pid_ == 0) {
      setsid();
      ioctl(slave_, TIOCSCTTY, 0);
      for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) dup2(slave_, fd);
      close(master_);
      close(slave_);
      if (ignoredSignal != 0) signal(ignoredSignal, SIG_IGN);  // kept across exec
      execl(SURVEY_EXE, SURVEY_EXE, static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~PtyRun() {
    if (pid_ > 0 && !reaped_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    close(master_);
    close(slave_);
  }

  bool started() const { return pid_ > 0; }
  void type(const std::string& keys) const {
    ASSERT_EQ(write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
  }
  // Reads the screen until the key wait has put the terminal in raw mode. The deadline only
  // keeps a broken program from stopping the test run.
  bool awaitKeyWait() {
    termios now{};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
      readScreen(10);
      if (screen_.find("Press any key to continue...") != std::string::npos &&
          tcgetattr(slave_, &now) == 0 && (now.c_lflag & ICANON) == 0) {
        return (now.c_lflag & (ECHO | ISIG)) == 0;
      }
    }
    return false;
  }
  // Waits for the program to end, reading the screen so that it never blocks on it. One
  // still running after the deadline is killed.
  int waitForEnd() {
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (waitpid(pid_, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) kill(pid_, SIGKILL);
      readScreen(10);
    }
    reaped_ = true;
    return status;
  }
  bool settingsRestored() {
    termios after;
    return tcgetattr(slave_, &after) == 0 && sameSettings(before_, after);
  }
  pid_t pid() const { return pid_; }
  const std::string& screen() const { return screen_; }

 private:
  void readScreen(int milliseconds) {
    pollfd fd = {master_, POLLIN, 0};
    if (poll(&fd, 1, milliseconds) <= 0) return;
    char buffer[4096];
    ssize_t got = read(master_, buffer, sizeof buffer);
    if (got > 0) screen_.append(buffer, static_cast<size_t>(got));
  }

  int master_ = -1;
  int slave_ = -1;
  termios before_{};
  pid_t pid_ = -1;
  bool reaped_ = false;
  std::string screen_;
};

TEST(KeyWaitSignals, AnEndingSignalPutsTheTerminalSettingsBack) {
  for (int signalNumber : {SIGTERM, SIGHUP}) {
    SCOPED_TRACE(strsignal(signalNumber));
    PtyRun run(0);
    ASSERT_TRUE(run.started());
    run.type("-1\n");
    ASSERT_TRUE(run.awaitKeyWait()) << run.screen();
    kill(run.pid(), signalNumber);
    int status = run.waitForEnd();
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), signalNumber);
    EXPECT_TRUE(run.settingsRestored());
  }
}

TEST(KeyWaitSignals, ASignalIgnoredAtStartStaysIgnoredDuringTheWait) {
  // As under nohup: a hang-up neither ends the wait nor the program; the key does.
  PtyRun run(SIGHUP);
  ASSERT_TRUE(run.started());
  run.type("-1\n");
  ASSERT_TRUE(run.awaitKeyWait()) << run.screen();
  kill(run.pid(), SIGHUP);
  run.type("x");
  int status = run.waitForEnd();
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_TRUE(run.settingsRestored());
}

}  // namespace
}  // namespace survey::testing
