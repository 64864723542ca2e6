// Signals while the program waits for the closing key or edits a line in a pseudo-terminal: an
// ending signal puts the terminal's settings back before the program goes; an ignored one
// stays ignored; a stop puts them back until the program continues.
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
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace survey::testing {
namespace {

bool sameSettings(const termios& a, const termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
         a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

// How the program is started: a signal ignored by its starter, the terminal type, and
// whether it runs as a shell's job (in a process group of its own below the session leader,
// so that it can be stopped; its status then comes back as an exit status).
struct Start {
  int ignoredSignal = 0;
  const char* term = "dumb";
  bool asJob = false;
};

// The program in a session of its own with a pseudo-terminal as its terminal, keys and screen.
class PtyRun {
 public:
  explicit PtyRun(int ignoredSignal) : PtyRun(Start{ignoredSignal}) {}
  explicit PtyRun(const Start& start) {
    if (openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0) return;
    tcgetattr(slave_, &before_);
    int pidPipe[2];
    if (pipe(pidPipe) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      setsid();
      ioctl(slave_, TIOCSCTTY, 0);
      for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) dup2(slave_, fd);
      close(master_);
      close(slave_);
      close(pidPipe[0]);
      // The program starts with default actions (the test run ignores SIGPIPE), but for the one
      // its starter ignores; that is kept across exec.
      for (int signalNumber = 1; signalNumber < NSIG; ++signalNumber) {
        if (signalNumber != SIGKILL && signalNumber != SIGSTOP) signal(signalNumber, SIG_DFL);
      }
      if (start.ignoredSignal != 0) signal(start.ignoredSignal, SIG_IGN);
      setenv("TERM", start.term, 1);
      pid_t program = getpid();
      if (start.asJob) {
        signal(SIGTTOU, SIG_IGN);
        program = fork();
        if (program == 0) {
          setpgid(0, 0);
          tcsetpgrp(STDIN_FILENO, getpgrp());
          signal(SIGTTOU, SIG_DFL);
          execl(SURVEY_EXE, SURVEY_EXE, static_cast<char*>(nullptr));
          _exit(127);
        }
        if (write(pidPipe[1], &program, sizeof program) < 0) _exit(127);
        int status = 0;
        while (waitpid(program, &status, 0) < 0) {
        }
        _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
      }
      if (write(pidPipe[1], &program, sizeof program) < 0) _exit(127);
      close(pidPipe[1]);
      execl(SURVEY_EXE, SURVEY_EXE, static_cast<char*>(nullptr));
      _exit(127);
    }
    close(pidPipe[1]);
    if (read(pidPipe[0], &program_, sizeof program_) != sizeof program_) program_ = -1;
    close(pidPipe[0]);
  }
  ~PtyRun() {
    if (pid_ > 0 && !reaped_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    close(master_);
    close(slave_);
  }

  bool started() const { return pid_ > 0 && program_ > 0; }
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
  // Reads the screen until it shows `text`.
  bool awaitScreen(const char* text) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
      readScreen(10);
      if (screen_.find(text) != std::string::npos) return true;
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
  // Reads the screen until the line editor waits at the number prompt, the terminal out of
  // canonical mode.
  bool awaitEditing(const char* prompt) {
    termios now{};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
      readScreen(10);
      if (screen_.find(prompt) != std::string::npos && tcgetattr(slave_, &now) == 0 &&
          (now.c_lflag & ICANON) == 0) {
        return true;
      }
    }
    return false;
  }
  // Reads the screen until the program is stopped (true) or the deadline passes.
  bool awaitStopped() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
      readScreen(10);
      std::ifstream stat("/proc/" + std::to_string(program_) + "/stat");
      std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
      const size_t close = text.rfind(')');
      if (close != std::string::npos && close + 2 < text.size() && text[close + 2] == 'T') {
        return true;
      }
    }
    return false;
  }
  // Reads the screen until the terminal is out of canonical mode again.
  bool awaitRawAgain() {
    termios now{};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
      readScreen(10);
      if (tcgetattr(slave_, &now) == 0 && (now.c_lflag & (ICANON | ECHO)) == 0) return true;
    }
    return false;
  }
  // The program itself: the process that runs it, below the session leader when a job.
  pid_t pid() const { return program_; }
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
  pid_t program_ = -1;
  bool reaped_ = false;
  std::string screen_;
};

// Every signal whose default action ends the program.
const int kEndingSignals[] = {SIGTERM, SIGHUP,  SIGINT,  SIGQUIT, SIGUSR1,   SIGUSR2,
                              SIGALRM, SIGPIPE, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF};

TEST(KeyWaitSignals, AnEndingSignalPutsTheTerminalSettingsBack) {
  for (int signalNumber : kEndingSignals) {
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

TEST(KeyWaitSignals, AStopPutsTheSettingsBackAndContinuingSetsThemAgain) {
  PtyRun run(Start{0, "dumb", true});
  ASSERT_TRUE(run.started());
  run.type("-1\n");
  ASSERT_TRUE(run.awaitKeyWait()) << run.screen();
  kill(run.pid(), SIGTSTP);
  ASSERT_TRUE(run.awaitStopped()) << run.screen();
  EXPECT_TRUE(run.settingsRestored());
  kill(run.pid(), SIGCONT);
  ASSERT_TRUE(run.awaitRawAgain());
  run.type("x");  // one key, no Enter, still ends the wait
  int status = run.waitForEnd();
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_TRUE(run.settingsRestored());
}

// The same while a line is edited at the number prompt, with libedit (xterm) and without.
TEST(LineEditorSignals, AnEndingSignalPutsTheTerminalSettingsBack) {
  for (const char* term : {"xterm", "dumb"}) {
    for (int signalNumber : kEndingSignals) {
      SCOPED_TRACE(std::string(term) + " " + strsignal(signalNumber));
      PtyRun run(Start{0, term, false});
      ASSERT_TRUE(run.started());
      run.type("12");
      if (std::string(term) == "dumb") {
        // Plain reading leaves the line to the terminal: wait until the prompt is there.
        ASSERT_TRUE(run.awaitScreen("> ")) << run.screen();
      } else {
        ASSERT_TRUE(run.awaitEditing("> ")) << run.screen();
      }
      kill(run.pid(), signalNumber);
      int status = run.waitForEnd();
      EXPECT_TRUE(WIFSIGNALED(status));
      EXPECT_EQ(WIFSIGNALED(status) ? WTERMSIG(status) : 0, signalNumber);
      EXPECT_TRUE(run.settingsRestored());
    }
  }
}

TEST(LineEditorSignals, CtrlZStopsWithTheSettingsBackAndTheLineGoesOnAfter) {
  PtyRun run(Start{0, "xterm", true});
  ASSERT_TRUE(run.started());
  run.type("-");
  ASSERT_TRUE(run.awaitEditing("> ")) << run.screen();
  run.type("\x1a");  // Ctrl+Z
  ASSERT_TRUE(run.awaitStopped()) << run.screen();
  EXPECT_TRUE(run.settingsRestored());
  kill(run.pid(), SIGCONT);
  ASSERT_TRUE(run.awaitRawAgain());
  run.type("1\rx");  // the line typed before the stop goes on: "-1", then the closing key
  int status = run.waitForEnd();
  ASSERT_TRUE(WIFEXITED(status)) << run.screen();
  EXPECT_EQ(WEXITSTATUS(status), 0) << run.screen();
  EXPECT_TRUE(run.settingsRestored());
}

TEST(LineEditorSignals, CtrlCOutsideAQuestionnaireEndsTheProgramAsAnInterrupt) {
  PtyRun run(Start{0, "xterm", false});
  ASSERT_TRUE(run.started());
  ASSERT_TRUE(run.awaitEditing("> ")) << run.screen();
  run.type("\x03");
  int status = run.waitForEnd();
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGINT);
  EXPECT_TRUE(run.settingsRestored());
}

}  // namespace
}  // namespace survey::testing
