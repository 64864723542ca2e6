// What a screen that asks for input works with, and the reading of a whole-number choice.
#pragma once

#include <string_view>

#include "console/console_stream.h"
#include "console/input_reader.h"
#include "console/notices.h"

namespace survey {

// The console as the screens see it: the stream they write to, the reader of typed input
// and the notices about it.
struct Console {
  ConsoleStream& stream;
  InputReader& reader;
  Notices& notices;
};

// Reads a whole number at the prompt called `promptName`. Text with no digit gives 0 and a
// notice. Returns false at the end of input.
bool readWholeNumber(Console& console, std::string_view promptName, int* value);

}  // namespace survey
