// What a screen that asks for input works with, and the reading of answers at its prompts.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "console/console_stream.h"
#include "console/input_reader.h"
#include "console/notices.h"
#include "console/terminal_input.h"

namespace survey {

// The console as the screens see it: the stream they write to, the reader of typed input
// and the notices about it.
struct Console {
  ConsoleStream& stream;
  InputReader& reader;
  Notices& notices;
  bool inputIsTerminal;               // answers are typed, a line at a time
  TerminalInput* terminal = nullptr;  // where they are typed at a line editor
};

// Each read below takes one item at the prompt called `promptName` and returns false at the
// end of input. What the answer leaves for the next prompts is named in a notice: text glued
// to a number ("36,5" leaves ",5"), and when standard input is a terminal the other words of
// the line.

// A whole number; text with no digit gives 0 and a notice. After `lastValue` no prompt
// follows, so nothing is named as going to one.
bool readWholeNumber(Console& console, std::string_view promptName, int* value,
                     std::optional<int> lastValue = std::nullopt);

// A real number; text that is not one gives 0 and a notice.
bool readRealAnswer(Console& console, std::string_view promptName, double* value);

// One word, kept as typed; a word cut at the limit and one holding control characters each
// get a notice.
bool readWordAnswer(Console& console, std::string_view promptName, std::string* word);

}  // namespace survey
