// The program in a pseudo-terminal that is its controlling terminal and standard input: the
// key wait at exit, the clear, and typed answers.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>

#include "process/process_support.h"
#include "support/golden.h"
#include "support/same_text.h"

namespace survey::testing {
namespace {

struct PtyRun {
  int status = -1;
  std::string screen;  // all the terminal showed
};

// Reads what is there on `master` for up to `ms` milliseconds.
void drain(int master, std::string* screen, int ms) {
  pollfd watch{master, POLLIN, 0};
  char chunk[4096];
  while (poll(&watch, 1, ms) > 0) {
    ssize_t got = read(master, chunk, sizeof chunk);
    if (got <= 0) return;
    screen->append(chunk, static_cast<size_t>(got));
  }
}

// Runs `command` (by default the program) from a shell in a new pseudo-terminal: the shell
// prints the terminal's settings before and after, then whatever typed bytes the program left
// unread.
PtyRun runInTerminal(const std::string& dir, const std::string& typed, const std::string& keys,
                     const std::string& command = SURVEY_EXE) {
  const std::string script = "printf '[before:%s]' \"$(stty -g)\"; " + command +
                             "; printf '[status %s][after:%s]' $? \"$(stty -g)\";"
                             " stty -icanon -echo min 0 time 3; printf '[left:'; cat; printf ']'";
  int master = -1;
  pid_t child = forkpty(&master, nullptr, nullptr, nullptr);
  if (child == 0) {
    if (chdir(dir.c_str()) != 0) _exit(126);
    execl("/bin/sh", "sh", "-c", script.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  PtyRun run;
  if (child < 0) return run;
  EXPECT_EQ(write(master, typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
  // The key wait has begun once its prompt shows and the terminal's echo is off (the line
  // editor turns echo off too).
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  struct termios settings;
  do {
    drain(master, &run.screen, 20);
    tcgetattr(master, &settings);
  } while (((settings.c_lflag & ECHO) != 0 ||
            run.screen.find("Press any key to continue...") == std::string::npos) &&
           std::chrono::steady_clock::now() < deadline);
  EXPECT_EQ(settings.c_lflag & (ECHO | ICANON | ISIG), 0u) << "the key wait never began";
  EXPECT_EQ(run.screen.find("Press any key to continue...\r\nPress any key"), std::string::npos)
      << "the second prompt showed before the key";
  EXPECT_EQ(write(master, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
  drain(master, &run.screen, 3000);
  int status = 0;
  waitpid(child, &status, 0);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  close(master);
  return run;
}

// The text between `open` and the next `close` after it.
std::string between(const std::string& text, const std::string& open, const std::string& close) {
  size_t start = text.find(open);
  if (start == std::string::npos) return "<missing>";
  start += open.size();
  return text.substr(start, text.find(close, start) - start);
}

size_t countOf(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// What the program put on the screen: between the settings printed before and the status.
std::string programScreen(const std::string& screen) {
  size_t start = screen.find(']', screen.find("[before:"));
  size_t end = screen.find("[status");
  if (start == std::string::npos || end == std::string::npos) return "<missing>";
  return screen.substr(start + 1, end - start - 1);
}

// The start date and time taken out, as two runs a minute apart differ there.
std::string withoutClock(std::string out) {
  for (std::string label : {"Now Is :: ", "date is "}) {
    size_t at = out.find(label);
    if (at == std::string::npos) continue;
    at += label.size();
    out.erase(at, out.find('.', at) - at);
  }
  return out;
}

TEST(KeyWait, TakesOneKeyWithoutEchoAndRestoresTheTerminal) {
  const struct {
    const char* name;
    std::string keys;
    std::string left;  // typed bytes the key wait must leave for the next reader
  } cases[] = {
      {"a letter", "x", ""},
      {"an arrow key, whole", "\x1b[A", ""},
      {"one key of two", "xy", "y"},
      {"Ctrl+C counts as a key", "\x03", ""},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    PtyRun run = runInTerminal(dir.path(), "-1\n", c.keys);
    EXPECT_EQ(run.status, 0) << c.name;
    EXPECT_NE(run.screen.find(
                  "Press any key to continue...\r\nPress any key to continue...\r\n[status 0]"),
              std::string::npos)
        << c.name;
    EXPECT_EQ(between(run.screen, "[left:", "]"), c.left) << c.name;
    // The settings printed before and after the program are the same.
    EXPECT_EQ(between(run.screen, "[after:", "]"), between(run.screen, "[before:", "]")) << c.name;
    EXPECT_NE(between(run.screen, "[before:", "]"), "<missing>");
    EXPECT_EQ(run.screen.find("^[[A"), std::string::npos) << c.name;
    EXPECT_EQ(countOf(run.screen, "Press any key"), 2u) << c.name;
  }
}

TEST(KeyWait, ShowsThePromptOnTheTerminalWhenStandardOutputGoesElsewhere) {
  const std::string survey = SURVEY_EXE, listing = "first line\nsecond line\n";
  const struct {
    const char* name;
    std::string command;
    std::string typed;   // at the terminal
    std::string input;   // what the program reads
    std::string screen;  // the end of what the terminal shows of the program
    bool toFile;         // standard output in out.txt
  } cases[] = {
      {"piped input, output to a file", "printf '1 2 -1\\n' | " + survey + " > out.txt", "",
       "1 2 -1\n", "Press any key to continue...\r\n", true},
      {"typed input, output to a file", survey + " > out.txt", "1 2 -1\n", "1 2 -1\n",
       "Press any key to continue...\r\n", true},
      // The same terminal opened by name: it already shows the prompt.
      {"output to the terminal by its name", survey + " > /dev/tty", "-1\n", "-1\n",
       "Press any key to continue...\r\nPress any key to continue...\r\n", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir, reference;
    for (const ScratchDir* d : {&dir, &reference}) std::ofstream(d->file("datas.dat")) << listing;
    PtyRun run = runInTerminal(dir.path(), c.typed, "x", c.command);
    EXPECT_EQ(run.status, 0);
    const std::string screen = programScreen(run.screen);
    ASSERT_GE(screen.size(), c.screen.size()) << screen;
    EXPECT_EQ(screen.substr(screen.size() - c.screen.size()), c.screen);
    if (!c.toFile) continue;
    EXPECT_EQ(countOf(screen, "Press any key"), 1u) << screen;
    // Standard output is what it is without a terminal, byte for byte but the clock.
    const std::string out = readFile(dir.file("out.txt"));
    ASSERT_NE(out.find(listing.substr(0, 10)), std::string::npos) << out;
    EXPECT_SAME_TEXT(withoutClock(out),
                     withoutClock(runSurveyProcess(reference.path(), c.input).out));
  }
}

TEST(ClearScreen, OnATerminalWritesTheAnsiClearBeforeTheHeading) {
  ScratchDir dir;
  PtyRun run = runInTerminal(dir.path(), "5\n5\n-1\n", "x");
  EXPECT_EQ(run.status, 0);
  const std::string menuEnd = "Clear View(Sight :: \r\n";
  size_t menu = run.screen.find(menuEnd);
  ASSERT_NE(menu, std::string::npos);
  // The menu reached the screen before the clear (nothing between them but the line typed at
  // the menu prompt, as the line editor shows it), and the heading follows it.
  const size_t clear = run.screen.find("\x1b[H\x1b[2J\x1b[3J -->", menu);
  ASSERT_NE(clear, std::string::npos) << run.screen;
  EXPECT_LE(clear - menu - menuEnd.size(), std::string("> 5\r\n").size()) << run.screen;
  EXPECT_EQ(run.screen.find('\f'), std::string::npos);
}

TEST(TypedAnswers, TheWordsLeftOnATypedLineAreNamed) {
  // The terminal hands the program one line per read, and the program itself finds out that
  // its standard input is a terminal.
  std::string answers = sampleAnswers();
  answers.replace(answers.find("Riverton"), 8, "Port\tHarcourt");
  answers.erase(answers.rfind(' '));
  for (char& c : answers) c = c == ' ' ? '\n' : c == '\t' ? ' ' : c;
  // Asked whether to join the two words, the key "k" keeps the second for the next prompt.
  answers.replace(answers.find("Port Harcourt\n"), 14, "Port Harcourt\nk");
  ScratchDir dir;
  // Enter after the last answer saves the record.
  PtyRun run = runInTerminal(dir.path(), "1\n1\n" + answers + "\n\n-1\n", "x");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.screen.find("survey: place-of-birth prompt: \"Port\" is the answer; "
                            "\"Harcourt\" goes to the next prompt\r\n"),
            std::string::npos)
      << run.screen;
}

}  // namespace
}  // namespace survey::testing
