// The screens a session should show, written out independently of the program's own tables,
// for comparing whole transcripts byte for byte.
#pragma once

#include <string>

#include "platform/env.h"

namespace survey::testing {

std::string repeat(char c, size_t count);

// From the first spacer line to the status line with 24.
std::string expectedStartBlock(const LocalTime& time);
// The number prompt of a pass, up to and including the short rule after the read.
std::string expectedNumberPrompt();
// The echo of a continuing number and the option menu.
std::string expectedMenu(int loopValue);
std::string expectedRunCountBanner(int count);
// The exit block; the last "Press any key to continue..." has no line end.
std::string expectedExitBlock();

// A whole session whose passes each run an option that shows nothing (0, 6, ...).
std::string expectedEmptyPasses(const LocalTime& time, const std::string& passes);

std::string expectedUsageGuideBanner();
std::string expectedClearScreenHeading();
std::string expectedClearScreenBanner();

}  // namespace survey::testing
