// Ending the program with SIGTERM or SIGHUP while it waits for the closing key in a
// pseudo-terminal: the terminal's settings are put back before it goes.
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

TEST(KeyWaitSignals, TerminalSettingsComeBackWhenASignalEndsTheWait) {
  for (int signalNumber : {SIGTERM, SIGHUP}) {
    SCOPED_TRACE(strsignal(signalNumber));
    int master = -1;
    int slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    termios before;
    ASSERT_EQ(tcgetattr(slave, &before), 0);
    pid_t pid = fork();
    if (pid == 0) {
      // A session of its own with the pty as its terminal: keys and screen both.
      setsid();
      ioctl(slave, TIOCSCTTY, 0);
      for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) dup2(slave, fd);
      close(master);
      close(slave);
      execl(SURVEY_EXE, SURVEY_EXE, static_cast<char*>(nullptr));
      _exit(127);
    }
    ASSERT_GT(pid, 0);
    ASSERT_EQ(write(master, "-1\n", 3), 3);

    // Read the screen until the key wait has put the terminal in raw mode. The deadline only
    // keeps a broken program from stopping the test run.
    std::string screen;
    termios during{};
    bool waiting = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!waiting && std::chrono::steady_clock::now() < deadline) {
      pollfd fd = {master, POLLIN, 0};
      if (poll(&fd, 1, 10) > 0) {
        char buffer[4096];
        ssize_t got = read(master, buffer, sizeof buffer);
        if (got > 0) screen.append(buffer, static_cast<size_t>(got));
      }
      waiting = screen.find("Press any key to continue...") != std::string::npos &&
                tcgetattr(slave, &during) == 0 && (during.c_lflag & ICANON) == 0;
    }
    EXPECT_TRUE(waiting) << screen;
    EXPECT_EQ(during.c_lflag & (ECHO | ISIG), 0u);

    kill(pid, signalNumber);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), signalNumber);
    termios after;
    ASSERT_EQ(tcgetattr(slave, &after), 0);
    EXPECT_TRUE(sameSettings(before, after));
    close(master);
    close(slave);
  }
}

}  // namespace
}  // namespace survey::testing
