// The Windows platform: the console through its wide-character calls (redirected streams as
// bytes), Ctrl+C, the system's local time, the console keyboard, "cls" and the wide command
// line.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>

#include "platform/console_line_editor.h"
#include "platform/env.h"
#include "platform/line_ends.h"
#include "platform/system_env.h"
#include "platform/unicode_text.h"
#include "platform/windows_support.h"

namespace survey {
namespace {

bool isConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

// Ctrl+C and Ctrl+Break end the run as an interrupt, whatever the program is doing, with the
// status the system gives it; nothing runs after it. The console mode the key wait changed
// is put back first.
// The handler runs on a thread of its own: it uses the key wait's handle only under
// keyWaitLock, which the key wait holds to give the handle out and to take it back and
// close it, so the handler never writes to a closed handle or to another one of that number.
HANDLE interrupted = nullptr;  // a manual-reset event, set once an interrupt has come
SRWLOCK keyWaitLock = SRWLOCK_INIT;
HANDLE keyWaitInput = nullptr;  // the console keyboard while the key wait reads it
DWORD keyWaitMode = 0;          // the console keyboard's mode before the key wait

BOOL WINAPI endRunOnInterrupt(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;  // closing, log-off
  AcquireSRWLockExclusive(&keyWaitLock);
  HANDLE input = keyWaitInput;
  if (input != nullptr && event == CTRL_C_EVENT) {
    // The key wait takes Ctrl+C as a key. Where the console makes it an event all the same (a
    // terminal's interrupt key under Wine), the key goes to the wait as if typed.
    INPUT_RECORD key = {};
    key.EventType = KEY_EVENT;
    key.Event.KeyEvent.bKeyDown = TRUE;
    key.Event.KeyEvent.wRepeatCount = 1;
    key.Event.KeyEvent.wVirtualKeyCode = 'C';
    key.Event.KeyEvent.uChar.UnicodeChar = 3;
    key.Event.KeyEvent.dwControlKeyState = LEFT_CTRL_PRESSED;
    DWORD written = 0;
    if (WriteConsoleInputW(input, &key, 1, &written) && written == 1) {
      ReleaseSRWLockExclusive(&keyWaitLock);
      return TRUE;
    }
  }
  SetEvent(interrupted);
  if (input != nullptr) SetConsoleMode(input, keyWaitMode);
  // Still holding the lock: the key wait cannot close the handle before the process ends.
  TerminateProcess(GetCurrentProcess(), STATUS_CONTROL_C_EXIT);
  ReleaseSRWLockExclusive(&keyWaitLock);
  return TRUE;
}

// Standard input: typed text from the console as UTF-8 with LF line ends, or the bytes of a
// file or pipe as they are.
class StandardInput : public ConsoleInput {
 public:
  size_t read(char* buffer, size_t capacity) override {
    if (!console_) {
      DWORD got = 0;
      DWORD chunk = static_cast<DWORD>(std::min<size_t>(capacity, 1u << 16));
      if (ReadFile(handle_, buffer, chunk, &got, nullptr)) return got;
      // A closed pipe is the end of the input; any other failure ends it with an error.
      const DWORD failure = GetLastError();
      if (failure != ERROR_BROKEN_PIPE && failure != ERROR_HANDLE_EOF) error_ = lastErrorStatus();
      return 0;
    }
    while (taken_ == text_.size()) {
      text_.clear();
      taken_ = 0;
      if (!readConsole()) return 0;
    }
    size_t count = std::min(capacity, text_.size() - taken_);
    std::memcpy(buffer, text_.data() + taken_, count);
    taken_ += count;
    return count;
  }
  Status readError() override { return error_; }

 private:
  // One console read into `text_`; false at the end of input.
  bool readConsole() {
    char16_t units[4096];
    DWORD got = 0;
    BOOL ok = ReadConsoleW(handle_, reinterpret_cast<wchar_t*>(units), sizeof units / sizeof *units,
                           &got, nullptr);
    if (ok && got > 0) return typed_.take(std::u16string_view(units, got), &text_);
    if (!ok && GetLastError() != ERROR_OPERATION_ABORTED) return false;  // the console is gone
    // Ctrl+C cuts a console read short with nothing read: that is no end of input, and the
    // handler (on a thread of its own) is ending the run.
    if (WaitForSingleObject(interrupted, 1000) == WAIT_OBJECT_0) Sleep(INFINITE);
    return true;
  }

  HANDLE handle_ = GetStdHandle(STD_INPUT_HANDLE);
  bool console_ = isConsole(handle_);
  TypedText typed_;
  std::string text_;  // typed text converted, not yet taken
  size_t taken_ = 0;
  Status error_;
};

// The characters of the bytes 0x80 to 0xFF in the console's output code page, U+FFFD where a
// byte alone is none.
std::u16string consoleCodePage() {
  std::u16string characters(128, u'\xFFFD');
  const UINT page = GetConsoleOutputCP();
  for (int byte = 0x80; byte <= 0xFF; ++byte) {
    const char bytes[1] = {static_cast<char>(byte)};
    wchar_t character = 0;
    if (page != CP_UTF8 &&
        MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, bytes, 1, &character, 1) == 1) {
      characters[byte - 0x80] = static_cast<char16_t>(character);
    }
  }
  return characters;
}

// Standard output or error: console text through the wide call, converted from UTF-8; the bytes
// as they are to a file or pipe. Line ends are CR LF, but for rows written as they are. Bytes that
// are not UTF-8 (answers in records stored before it was) show as the console's code page shows
// them.
class StandardOutput : public ConsoleOutput {
 public:
  explicit StandardOutput(DWORD which)
      : handle_(GetStdHandle(which)), console_(isConsole(handle_)) {
    if (console_) converter_ = Utf8ToUtf16(consoleCodePage());
  }

  Status write(std::string_view bytes) override { return writeAsIs(withCrLf(bytes)); }

  Status writeAsIs(std::string_view bytes) override {
    if (console_) return writeConsole(bytes);
    std::string_view rest = bytes;
    while (!rest.empty()) {
      DWORD done = 0;
      DWORD chunk = static_cast<DWORD>(std::min<size_t>(rest.size(), 1u << 20));
      if (!WriteFile(handle_, rest.data(), chunk, &done, nullptr)) return lastErrorStatus();
      if (done == 0) return Status::error("nothing written");
      rest.remove_prefix(done);
    }
    return Status();
  }

 private:
  // A character cut between two writes is held back until its end comes.
  Status writeConsole(std::string_view text) {
    std::u16string units;
    converter_.convert(text, &units);
    std::u16string_view rest = units;
    while (!rest.empty()) {
      // Moderate pieces (older consoles refuse very large writes), never halving a pair.
      size_t chunk = std::min<size_t>(rest.size(), 8192);
      if (chunk < rest.size() && rest[chunk - 1] >= 0xD800 && rest[chunk - 1] <= 0xDBFF) --chunk;
      DWORD done = 0;
      if (!WriteConsoleW(handle_, reinterpret_cast<const wchar_t*>(rest.data()),
                         static_cast<DWORD>(chunk), &done, nullptr)) {
        return lastErrorStatus();
      }
      if (done == 0) return Status::error("nothing written");
      rest.remove_prefix(done);
    }
    return Status();
  }

  HANDLE handle_;
  bool console_;
  Utf8ToUtf16 converter_;
};

class SystemClock : public Clock {
 public:
  // The system's local time: the C library's would follow a TZ variable instead.
  LocalTime now() override {
    SYSTEMTIME time;
    GetLocalTime(&time);
    return LocalTime{time.wDay, time.wMonth - 1, time.wYear - 1900, time.wHour, time.wMinute};
  }
};

// A key that does nothing pressed alone.
bool isModifier(WORD key) {
  switch (key) {
    case VK_SHIFT:
    case VK_CONTROL:
    case VK_MENU:
    case VK_LWIN:
    case VK_RWIN:
    case VK_CAPITAL:
    case VK_NUMLOCK:
    case VK_SCROLL:
      return true;
    default:
      return false;
  }
}

// Reads console input records until a key press that gives a character or is an extended key
// (arrow, function key); releases and modifiers alone are passed over. False if reading fails.
bool readKeyPress(HANDLE input, wchar_t* character) {
  INPUT_RECORD record;
  DWORD count = 0;
  while (ReadConsoleInputW(input, &record, 1, &count) && count == 1) {
    if (record.EventType != KEY_EVENT || !record.Event.KeyEvent.bKeyDown) continue;
    *character = record.Event.KeyEvent.uChar.UnicodeChar;
    if (*character != 0 || !isModifier(record.Event.KeyEvent.wVirtualKeyCode)) return true;
  }
  return false;
}

class ConsoleTerminal : public Terminal {
 public:
  ConsoleTerminal(ConsoleInput& input, ConsoleOutput& errors) : editor_(input, errors) {}
  bool outputIsTerminal() override { return isConsole(GetStdHandle(STD_OUTPUT_HANDLE)); }
  bool inputIsTerminal() override { return isConsole(GetStdHandle(STD_INPUT_HANDLE)); }

  void waitForKey() override {
    // With no console, or one made without a window (as for a program started in the
    // background), no key can come. A hidden window, as under a terminal emulator, gets keys.
    HANDLE input =
        CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (input == INVALID_HANDLE_VALUE) return;
    DWORD mode = 0;
    if (GetConsoleWindow() != nullptr && GetConsoleMode(input, &mode)) {
      AcquireSRWLockExclusive(&keyWaitLock);
      keyWaitMode = mode;
      keyWaitInput = input;
      ReleaseSRWLockExclusive(&keyWaitLock);
      // Keys one at a time, without echo; Ctrl+C is a key; an arrow is one key, not a sequence.
      const DWORD raw =
          mode & ~static_cast<DWORD>(ENABLE_PROCESSED_INPUT | ENABLE_LINE_INPUT |
                                     ENABLE_ECHO_INPUT | ENABLE_VIRTUAL_TERMINAL_INPUT);
      wchar_t key = 0;
      if (SetConsoleMode(input, raw) && readKeyPress(input, &key) && key >= 0xD800 &&
          key <= 0xDBFF) {
        readKeyPress(input, &key);  // the second half of a character beyond U+FFFF
      }
      AcquireSRWLockExclusive(&keyWaitLock);
      SetConsoleMode(input, mode);
      keyWaitInput = nullptr;
      ReleaseSRWLockExclusive(&keyWaitLock);
    }
    CloseHandle(input);  // the handler no longer has it
  }

  Status clearScreen(ConsoleOutput&) override {
    std::system("cls");  // its result is ignored: a failed clear is only cosmetic
    return Status();
  }

  // The console edits the lines; the checks of typed answers still apply.
  LineEditor* lineEditor() override { return inputIsTerminal() ? &editor_ : nullptr; }

 private:
  ConsoleLineEditor editor_;
};

}  // namespace

// Gives each standard stream that has no handle one on the null device, so that nothing
// meant for the console is lost in a way the program takes for a failure, and the C
// library's descriptors 0 to 2 are never taken by a file opened later.
void openClosedStandardStreams() {
  const DWORD streams[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
  for (DWORD which : streams) {
    HANDLE handle = GetStdHandle(which);
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) continue;
    const bool input = which == STD_INPUT_HANDLE;
    HANDLE null =
        CreateFileW(L"NUL", input ? GENERIC_READ : GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (null != INVALID_HANDLE_VALUE) SetStdHandle(which, null);
  }
}

ConsoleParts makeConsoleParts() {
  openClosedStandardStreams();
  if (interrupted == nullptr) {
    interrupted = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(endRunOnInterrupt, TRUE);
  }
  ConsoleParts parts;
  auto input = std::make_unique<StandardInput>();
  auto errors = std::make_unique<StandardOutput>(STD_ERROR_HANDLE);
  parts.terminal = std::make_unique<ConsoleTerminal>(*input, *errors);
  parts.input = std::move(input);
  parts.output = std::make_unique<StandardOutput>(STD_OUTPUT_HANDLE);
  parts.errors = std::move(errors);
  parts.clock = std::make_unique<SystemClock>();
  return parts;
}

std::vector<std::string> commandLineArguments(int argc, char** argv) {
  // The C library's argv went through the ANSI code page, which loses what it cannot show.
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
  std::vector<std::string> args;
  for (int i = 1; i < count; ++i) args.push_back(narrow(wide[i]));
  LocalFree(wide);
  return args;
}

}  // namespace survey
