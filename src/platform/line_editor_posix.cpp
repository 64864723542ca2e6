// Line editing at a POSIX terminal: libedit where the terminal allows it, plain lines where not.
#include "platform/line_editor_posix.h"

#include <fcntl.h>
#include <histedit.h>
#include <poll.h>
#include <signal.h>
#include <termcap.h>
#include <termios.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <map>
#include <string>

#include "platform/posix_io.h"
#include "platform/terminal_hold.h"

namespace survey {
namespace {

constexpr unsigned char kCtrlC = 0x03;
constexpr unsigned char kCtrlD = 0x04;
constexpr unsigned char kCtrlBackslash = 0x1c;
constexpr unsigned char kCtrlZ = 0x1a;
constexpr unsigned char kEscape = 0x1b;
constexpr int kHistorySize = 100;

// Reads one byte of standard input: -1 at the end of input or on an error. A signal that only
// interrupted the read gives -2 when `returnOnSignal`, else the read goes on.
int readByte(bool returnOnSignal) {
  unsigned char byte = 0;
  for (;;) {
    ssize_t got = ::read(STDIN_FILENO, &byte, 1);
    if (got == 1) return byte;
    if (got == 0 || errno != EINTR) return -1;
    if (returnOnSignal) return -2;
  }
}

// One key in raw mode, with the rest of an escape sequence or multi-byte character.
LineRead readRawKey(char* pressed) {
  *pressed = '\r';
  if (!holdTerminal(STDIN_FILENO)) return LineRead::kLine;
  struct termios raw;
  tcgetattr(STDIN_FILENO, &raw);
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
  raw.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL);
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  tcsetattr(STDIN_FILENO, TCSANOW, &raw);
  const int key = readByte(false);
  if (key == kEscape || key >= 0x80) {
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 1;  // tenths of a second
    tcsetattr(STDIN_FILENO, TCSANOW, &raw);
    char rest[64];
    while (::read(STDIN_FILENO, rest, sizeof rest) > 0) {
    }
  }
  restoreHeldTerminal();
  releaseTerminal();
  if (key == kCtrlC) return LineRead::kInterrupt;
  if (key == kCtrlD || key < 0) return LineRead::kEnd;
  *pressed = key == '\n' ? '\r' : static_cast<char>(key);
  return LineRead::kLine;
}

// Where the editors show things: the controlling terminal, or standard error without one.
class TerminalOut {
 public:
  TerminalOut() : fd_(open("/dev/tty", O_WRONLY | O_NOCTTY | O_CLOEXEC)) {}
  ~TerminalOut() {
    if (fd_ >= 0) close(fd_);
  }
  TerminalOut(const TerminalOut&) = delete;
  TerminalOut& operator=(const TerminalOut&) = delete;
  int fd() const { return fd_ >= 0 ? fd_ : STDERR_FILENO; }
  void show(std::string_view text) const { writeAll(fd(), text); }

 private:
  int fd_;
};

// Lines as the terminal's line discipline edits them: the checks work, editing is basic.
class PlainEditor : public LineEditor {
 public:
  LineRead readLine(std::string_view prompt, int /*history*/, std::string* line) override {
    out_.show(prompt);
    line->clear();
    for (;;) {
      const size_t end = pending_.find('\n');
      if (end != std::string::npos) {
        line->assign(pending_, 0, end);
        pending_.erase(0, end + 1);
        return LineRead::kLine;
      }
      char buffer[4096];
      ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) {
        // Ctrl+D: on an empty line the end of input; after text, that text as the line.
        if (pending_.empty()) return LineRead::kEnd;
        line->swap(pending_);
        pending_.clear();
        return LineRead::kLine;
      }
      pending_.append(buffer, static_cast<size_t>(got));
    }
  }
  LineRead readKey(char* key) override { return readRawKey(key); }
  void show(std::string_view text) override { out_.show(text); }
  [[noreturn]] void interrupt() override { endWithSignal(SIGINT); }

 private:
  TerminalOut out_;
  std::string pending_;
};

// Whether a byte of standard input comes within 50 ms (the rest of a key's sequence does).
bool moreComes() {
  pollfd watch = {STDIN_FILENO, POLLIN, 0};
  return poll(&watch, 1, 50) > 0;
}

// The keys of an escape sequence whose ESC was read, as the editor's own keys: arrows, Home,
// End, Delete (nothing on an empty line, where Ctrl+D would end the input) and the word moves.
// Any other sequence (function keys, Page Up, a lone Escape) is read whole and dropped, so
// that nothing of it gets into the line.
std::string editingKeys(bool lineEmpty) {
  if (!moreComes()) return "";
  const int lead = readByte(false);
  if (lead != '[' && lead != 'O') {
    // Meta (Alt) keys: back and forward a word, delete a word either way.
    if (lead == 'b' || lead == 'f' || lead == 'd' || lead == 0x7f) {
      return std::string(1, static_cast<char>(kEscape)) + static_cast<char>(lead);
    }
    return "";
  }
  std::string parameters;
  int final = 0;
  for (size_t i = 0; i < 16 && moreComes(); ++i) {
    final = readByte(false);
    if (final < 0 || (final >= 0x40 && final <= 0x7e)) break;
    parameters.push_back(static_cast<char>(final));
  }
  const bool control = parameters.find(";5") != std::string::npos;
  switch (final) {
    case 'A':
      return "\x10";  // Ctrl+P: the earlier answer
    case 'B':
      return "\x0e";  // Ctrl+N
    case 'C':
      return control ? "\x1b"
                       "f"
                     : "\x06";
    case 'D':
      return control ? "\x1b"
                       "b"
                     : "\x02";
    case 'H':
      return "\x01";
    case 'F':
      return "\x05";
    case '~':
      if (parameters == "1" || parameters == "7") return "\x01";
      if (parameters == "4" || parameters == "8") return "\x05";
      if (parameters == "3" && !lineEmpty) return "\x04";
      return "";
    default:
      return "";
  }
}

// libedit: emacs keys, a history per question, wide characters, resizes. The terminal's
// signal keys are off while a line is edited: the editor reads Ctrl+C, Ctrl+Z and Ctrl+\ as
// keys and acts on them itself.
class EditlineEditor : public LineEditor {
 public:
  EditlineEditor() {
    outFile_ = fdopen(dup(out_.fd()), "w");
    editLine_ = el_init("survey", stdin, outFile_ != nullptr ? outFile_ : stderr, stderr);
    if (editLine_ == nullptr) return;
    el_set(editLine_, EL_CLIENTDATA, this);
    el_set(editLine_, EL_EDITOR, "emacs");
    el_set(editLine_, EL_PROMPT, &EditlineEditor::promptOf);
    el_set(editLine_, EL_GETCFN, &EditlineEditor::readCharacter);
    el_set(editLine_, EL_SETTY, "-d", "-isig", nullptr);
    el_set(editLine_, EL_SIGNAL, 0);
  }
  ~EditlineEditor() override {
    if (editLine_ != nullptr) {
      // Without edit mode el_end leaves the terminal alone: it would flush typed-ahead keys.
      el_set(editLine_, EL_EDITMODE, 0);
      el_end(editLine_);
    }
    for (auto& entry : histories_) history_end(entry.second);
    if (outFile_ != nullptr) fclose(outFile_);
  }
  EditlineEditor(const EditlineEditor&) = delete;
  EditlineEditor& operator=(const EditlineEditor&) = delete;

  bool usable() const { return editLine_ != nullptr; }

  LineRead readLine(std::string_view prompt, int history, std::string* line) override {
    prompt_.assign(prompt);
    History*& list = histories_[history];
    if (list == nullptr) {
      list = history_init();
      HistEvent event;
      ::history(list, &event, H_SETSIZE, kHistorySize);
      ::history(list, &event, H_SETUNIQUE, 1);
    }
    el_set(editLine_, EL_HIST, ::history, list);
    // A line left by an interrupt that was taken back comes back as it was.
    if (!unfinished_.empty()) el_push(editLine_, unfinished_.c_str());
    unfinished_.clear();
    queued_.clear();
    interrupted_ = false;
    decoder_ = std::mbstate_t();
    holdTerminal(STDIN_FILENO);
    int count = 0;
    const char* text = el_gets(editLine_, &count);
    releaseTerminal();
    if (interrupted_) return LineRead::kInterrupt;
    if (text == nullptr || count <= 0) return LineRead::kEnd;
    line->assign(text, static_cast<size_t>(count));
    if (!line->empty() && line->back() == '\n') line->pop_back();
    if (!line->empty()) {
      HistEvent event;
      ::history(list, &event, H_ENTER, line->c_str());
    }
    return LineRead::kLine;
  }

  LineRead readKey(char* key) override { return readRawKey(key); }
  void show(std::string_view text) override { out_.show(text); }
  [[noreturn]] void interrupt() override { endWithSignal(SIGINT); }

 private:
  static EditlineEditor& self(EditLine* editLine) {
    void* data = nullptr;
    el_get(editLine, EL_CLIENTDATA, &data);
    return *static_cast<EditlineEditor*>(data);
  }
  static char* promptOf(EditLine* editLine) { return self(editLine).prompt_.data(); }

  // Reads one character for libedit, acting on the signal keys and on resizes and stops.
  static int readCharacter(EditLine* editLine, wchar_t* character) {
    EditlineEditor& editor = self(editLine);
    for (;;) {
      if (!editor.queued_.empty()) {
        *character = static_cast<unsigned char>(editor.queued_.front());
        editor.queued_.erase(0, 1);
        return 1;
      }
      const int byte = readByte(true);
      if (byte == -2) {
        const int events = takeTerminalEvents();
        // A resize only changes the width the line wraps at; after a stop the line is drawn
        // again where the cursor now is.
        if ((events & kTerminalResized) != 0) el_resize(editLine);
        if ((events & kTerminalContinued) != 0) el_set(editLine, EL_REFRESH);
        continue;
      }
      if (byte < 0) return 0;
      if (byte == kCtrlC) {
        const LineInfo* info = el_line(editLine);
        editor.unfinished_.assign(info->buffer, info->lastchar);
        editor.interrupted_ = true;
        return 0;  // ends the read as the end of input does; readLine tells them apart
      }
      if (byte == kCtrlZ) {
        suspendHeldTerminal();
        takeTerminalEvents();
        el_set(editLine, EL_REFRESH);
        continue;
      }
      if (byte == kCtrlBackslash) endWithSignal(SIGQUIT);
      if (byte == kEscape) {
        const LineInfo* info = el_line(editLine);
        editor.queued_ = editingKeys(info->lastchar == info->buffer);
        continue;
      }
      const char in = static_cast<char>(byte);
      wchar_t decoded = 0;
      const size_t used = std::mbrtowc(&decoded, &in, 1, &editor.decoder_);
      if (used == static_cast<size_t>(-2)) continue;  // more bytes of the character follow
      if (used == static_cast<size_t>(-1)) {
        editor.decoder_ = std::mbstate_t();
        continue;  // not a character of this locale: dropped
      }
      *character = decoded;
      return 1;
    }
  }

  TerminalOut out_;
  FILE* outFile_ = nullptr;
  EditLine* editLine_ = nullptr;
  std::map<int, History*> histories_;
  std::string prompt_;
  std::string unfinished_;
  std::string queued_;  // editing keys an escape sequence stands for, still to be given
  bool interrupted_ = false;
  std::mbstate_t decoder_{};
};

// Whether libedit can drive the terminal named by TERM.
bool terminalCanBeDriven() {
  const char* name = std::getenv("TERM");
  if (name == nullptr || *name == '\0' || std::strcmp(name, "dumb") == 0) return false;
  char entry[4096];
  return tgetent(entry, name) == 1;
}

}  // namespace

std::unique_ptr<LineEditor> makeTerminalLineEditor() {
  // Characters typed are decoded in the environment's locale, UTF-8 where it names none.
  std::setlocale(LC_CTYPE, "");
  if (MB_CUR_MAX == 1) std::setlocale(LC_CTYPE, "C.UTF-8");
  if (terminalCanBeDriven()) {
    auto editor = std::make_unique<EditlineEditor>();
    if (editor->usable()) return editor;
  }
  return std::make_unique<PlainEditor>();
}

}  // namespace survey
