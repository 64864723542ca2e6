// Lines read as the console's own line editing gives them, as on a Windows console.
#pragma once

#include <string>

#include "platform/env.h"

namespace survey {

// A line editor that leaves editing to the console: lines come from `input` (a CR before the
// line end is dropped) and what is shown goes to `shown`, standard error. A key is the first
// byte of the next line ('\r' for an empty one); the end of input is kEnd. Ctrl+C is left to
// the console, which interrupts the program at once.
class ConsoleLineEditor : public LineEditor {
 public:
  ConsoleLineEditor(ConsoleInput& input, ConsoleOutput& shown) : input_(input), shown_(shown) {}
  LineRead readLine(std::string_view prompt, int history, std::string* line) override;
  LineRead readKey(char* key) override;
  void show(std::string_view text) override { shown_.write(text); }
  [[noreturn]] void interrupt() override;

 private:
  // The next line into `*line`; false at the end of input with nothing read.
  bool nextLine(std::string* line);

  ConsoleInput& input_;
  ConsoleOutput& shown_;
  std::string pending_;
  bool ended_ = false;
};

}  // namespace survey
