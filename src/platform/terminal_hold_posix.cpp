// The held terminal's settings and the signal handlers that put them back.
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <iterator>

#include "platform/terminal_hold.h"

namespace survey {
namespace {

// Every signal whose default action ends the program. Stop signals and SIGCONT are handled on
// their own; SIGKILL and SIGSTOP cannot be caught.
const int kEndingSignals[] = {
    SIGHUP,    SIGINT,  SIGQUIT, SIGILL,  SIGTRAP, SIGABRT, SIGBUS,    SIGFPE,  SIGUSR1, SIGSEGV,
    SIGUSR2,   SIGPIPE, SIGALRM, SIGTERM, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF, SIGSYS,
#ifdef SIGPOLL
    SIGPOLL,
#endif
#ifdef SIGPWR
    SIGPWR,
#endif
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
};
// Stops that come from the terminal or another program, and the events worth a redraw.
const int kStopSignals[] = {SIGTSTP, SIGTTIN, SIGTTOU};
const int kEventSignals[] = {SIGWINCH, SIGCONT};

constexpr size_t kHandled =
    std::size(kEndingSignals) + std::size(kStopSignals) + std::size(kEventSignals);

volatile sig_atomic_t heldFd = -1;
struct termios savedSettings;
volatile sig_atomic_t events = 0;
struct Previous {
  int signalNumber;
  struct sigaction action;
};
Previous previous[kHandled + 32];  // the real-time signals too
size_t previousCount = 0;

void restoreSettings() {
  if (heldFd >= 0) tcsetattr(heldFd, TCSANOW, &savedSettings);
}

void onEndingSignal(int signalNumber) {
  const int savedErrno = errno;
  restoreSettings();
  signal(signalNumber, SIG_DFL);
  raise(signalNumber);  // delivered when this handler returns and the signal is unblocked
  errno = savedErrno;
}

// Stops with the saved settings in force; on continuing, sets again those that were in force.
void stopKeepingSettings(int signalNumber) {
  const int savedErrno = errno;
  struct termios current;
  const bool haveCurrent = heldFd >= 0 && tcgetattr(heldFd, &current) == 0;
  restoreSettings();
  struct sigaction stopAction = {};
  struct sigaction handler = {};
  stopAction.sa_handler = SIG_DFL;
  sigemptyset(&stopAction.sa_mask);
  sigaction(signalNumber, &stopAction, &handler);
  sigset_t unblock;
  sigemptyset(&unblock);
  sigaddset(&unblock, signalNumber);
  sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
  raise(signalNumber);  // the program stops here until it is continued
  sigprocmask(SIG_BLOCK, &unblock, nullptr);
  sigaction(signalNumber, &handler, nullptr);
  if (haveCurrent) tcsetattr(heldFd, TCSANOW, &current);
  events = events | kTerminalContinued;
  errno = savedErrno;
}

void onEvent(int signalNumber) {
  events = events | (signalNumber == SIGWINCH ? kTerminalResized : kTerminalContinued);
}

void install(int signalNumber, void (*handler)(int), bool restart) {
  struct sigaction action = {};
  action.sa_handler = handler;
  action.sa_flags = restart ? SA_RESTART : 0;
  sigemptyset(&action.sa_mask);
  Previous& saved = previous[previousCount];
  if (sigaction(signalNumber, nullptr, &saved.action) != 0) return;
  // A signal the program was started with ignored (as under nohup) stays ignored.
  if (saved.action.sa_handler == SIG_IGN) return;
  saved.signalNumber = signalNumber;
  ++previousCount;
  sigaction(signalNumber, &action, nullptr);
}

}  // namespace

bool holdTerminal(int fd) {
  if (heldFd >= 0 || tcgetattr(fd, &savedSettings) != 0) return false;
  heldFd = fd;
  events = 0;
  previousCount = 0;
  for (int signalNumber : kEndingSignals) install(signalNumber, onEndingSignal, true);
  for (int signalNumber = SIGRTMIN; signalNumber <= SIGRTMAX && previousCount < std::size(previous);
       ++signalNumber) {
    install(signalNumber, onEndingSignal, true);
  }
  // Without SA_RESTART, so that a read at the terminal returns and the line is drawn again.
  for (int signalNumber : kStopSignals) install(signalNumber, stopKeepingSettings, false);
  for (int signalNumber : kEventSignals) install(signalNumber, onEvent, false);
  return true;
}

void restoreHeldTerminal() { restoreSettings(); }

void releaseTerminal() {
  for (size_t i = previousCount; i > 0; --i) {
    sigaction(previous[i - 1].signalNumber, &previous[i - 1].action, nullptr);
  }
  previousCount = 0;
  heldFd = -1;
}

void suspendHeldTerminal() {
  sigset_t block;
  sigset_t old;
  sigemptyset(&block);
  sigaddset(&block, SIGTSTP);
  sigprocmask(SIG_BLOCK, &block, &old);
  stopKeepingSettings(SIGTSTP);
  sigprocmask(SIG_SETMASK, &old, nullptr);
}

void endWithSignal(int signalNumber) {
  restoreSettings();
  releaseTerminal();
  signal(signalNumber, SIG_DFL);
  sigset_t unblock;
  sigemptyset(&unblock);
  sigaddset(&unblock, signalNumber);
  sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
  raise(signalNumber);
  _exit(128 + signalNumber);  // only if the signal is ignored by force
}

int takeTerminalEvents() {
  const int taken = events;
  events = 0;
  return taken;
}

}  // namespace survey
