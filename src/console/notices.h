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

// A short excerpt of typed text for a notice, at most 32 bytes of it and never half a UTF-8
// character, followed by "..." when cut. UTF-8 characters stay as they are; control characters
// show in caret notation ("^["), C1 controls as "<U+009B>"; bytes that are not UTF-8 show as "?".
std::string printableExcerpt(std::string_view text);

// The same for words separated by single blanks, cut between two words (" ...") where it can.
std::string printableWords(std::string_view words);

}  // namespace survey
