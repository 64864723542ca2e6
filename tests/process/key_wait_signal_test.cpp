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
#include <functional>
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
  // Reads the screen until the key wait has put the terminal in raw mode; true if echo and
  // signals are off there too.
  bool awaitKeyWait() {
    termios now{};
    return awaitEditing("Press any key to continue...") && tcgetattr(slave_, &now) == 0 &&
           (now.c_lflag & (ECHO | ISIG)) == 0;
  }
  // Reads the screen until it shows `text`.
  bool awaitScreen(const char* text) {
    return readUntil([&] { return screen_.find(text) != std::string::npos; });
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
  // Reads the screen until it shows `prompt` with the terminal out of canonical mode, as the
  // line editor and the key wait put it.
  bool awaitEditing(const char* prompt) {
    return readUntil([&] {
      termios now{};
      return screen_.find(prompt) != std::string::npos && tcgetattr(slave_, &now) == 0 &&
             (now.c_lflag & ICANON) == 0;
    });
  }
  // Reads the screen until the program is stopped.
  bool awaitStopped() {
    return readUntil([&] {
      std::ifstream stat("/proc/" + std::to_string(program_) + "/stat");
      std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
      const size_t close = text.rfind(')');
      return close != std::string::npos && close + 2 < text.size() && text[close + 2] == 'T';
    });
  }
  // Reads the screen until the terminal is out of canonical mode again.
  bool awaitRawAgain() {
    return readUntil([&] {
      termios now{};
      return tcgetattr(slave_, &now) == 0 && (now.c_lflag & (ICANON | ECHO)) == 0;
    });
  }
  // The program itself: the process that runs it, below the session leader when a job.
  pid_t pid() const { return program_; }
  const std::string& screen() const { return screen_; }

 private:
  // Reads the screen until `done` holds (true) or the deadline, which only keeps a broken
  // program from stopping the test run, passes (false).
  bool readUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
      readScreen(10);
      if (done()) return true;
    }
    return false;
  }
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

bool atKeyWait(PtyRun& run) { return run.awaitKeyWait(); }
bool editingWithLibedit(PtyRun& run) { return run.awaitEditing("> "); }
// Plain reading leaves the line to the terminal: the prompt shown is all there is to see.
bool typingAPlainLine(PtyRun& run) { return run.awaitScreen("> "); }

TEST(TerminalSignals, AnEndingSignalPutsTheTerminalSettingsBack) {
  const struct {
    const char* name;
    const char* term;
    const char* keys;
    bool (*waiting)(PtyRun&);
  } waits[] = {
      {"at the closing key", "dumb", "-1\n", atKeyWait},
      {"editing a line with libedit", "xterm", "12", editingWithLibedit},
      {"typing a line without libedit", "dumb", "12", typingAPlainLine},
  };
  for (const auto& w : waits) {
    for (int signalNumber : kEndingSignals) {
      SCOPED_TRACE(std::string(w.name) + ": " + strsignal(signalNumber));
      PtyRun run(Start{0, w.term, false});
      ASSERT_TRUE(run.started());
      run.type(w.keys);
      ASSERT_TRUE(w.waiting(run)) << run.screen();
      kill(run.pid(), signalNumber);
      int status = run.waitForEnd();
      EXPECT_TRUE(WIFSIGNALED(status));
      EXPECT_EQ(WIFSIGNALED(status) ? WTERMSIG(status) : 0, signalNumber);
      EXPECT_TRUE(run.settingsRestored());
    }
  }
}

TEST(TerminalSignals, ASignalIgnoredAtStartStaysIgnoredDuringTheKeyWait) {
  // As under nohup: a hang-up neither ends the wait nor the program; the key does.
  PtyRun run(Start{SIGHUP});
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

// The program runs as a job, so that it can be stopped.
TEST(TerminalSignals, AStopPutsTheSettingsBackAndContinuingSetsThemAgain) {
  const struct {
    const char* name;
    const char* term;
    const char* keys;
    bool (*waiting)(PtyRun&);
    const char* stopKey;  // typed to stop the program; none: SIGTSTP is sent
    const char* after;    // typed once it continues; the program must then end with status 0
  } stops[] = {
      // One key, no Enter, still ends the wait.
      {"SIGTSTP at the closing key", "dumb", "-1\n", atKeyWait, nullptr, "x"},
      // The line typed before the stop goes on: "-1", then the closing key.
      {"Ctrl+Z editing a line", "xterm", "-", editingWithLibedit, "\x1a", "1\rx"},
  };
  for (const auto& s : stops) {
    SCOPED_TRACE(s.name);
    PtyRun run(Start{0, s.term, true});
    ASSERT_TRUE(run.started());
    run.type(s.keys);
    ASSERT_TRUE(s.waiting(run)) << run.screen();
    if (s.stopKey != nullptr) {
      run.type(s.stopKey);
    } else {
      kill(run.pid(), SIGTSTP);
    }
    ASSERT_TRUE(run.awaitStopped()) << run.screen();
    EXPECT_TRUE(run.settingsRestored());
    kill(run.pid(), SIGCONT);
    ASSERT_TRUE(run.awaitRawAgain());
    run.type(s.after);
    int status = run.waitForEnd();
    ASSERT_TRUE(WIFEXITED(status)) << run.screen();
    EXPECT_EQ(WEXITSTATUS(status), 0) << run.screen();
    EXPECT_TRUE(run.settingsRestored());
  }
}

TEST(TerminalSignals, CtrlCOutsideAQuestionnaireEndsTheProgramAsAnInterrupt) {
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
