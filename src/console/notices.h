// Notices on standard error: what went wrong with the input or a save, and what was done.
#pragma once

#include <string>
#include <string_view>

#include "console/console_stream.h"
#include "platform/env.h"

namespace survey {

// Writes one line per notice, "PROGRAM: TEXT", after the console lines written so far.
class Notices {
 public:
  Notices(ConsoleStream& stream, ConsoleOutput& errors, std::string_view program)
      : stream_(stream), errors_(errors), program_(program) {}

  void notice(std::string_view text);
  // Writes `text` as it is, after the console lines written so far: what a notice refers to.
  void attach(std::string_view text);

 private:
  ConsoleStream& stream_;
  ConsoleOutput& errors_;
  std::string_view program_;
};

// A short, printable excerpt of typed text for a notice.
std::string printableExcerpt(std::string_view text);

}  // namespace survey
