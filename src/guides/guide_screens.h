// Options 3, 4 and 5: the usage guide, the retrieval guide with its sub-choice, the clear.
#pragma once

#include "console/console_stream.h"
#include "console/notices.h"
#include "console/prompt.h"
#include "platform/env.h"

namespace survey {

void showUsageGuide(ConsoleStream& stream);

// Shows the retrieval guide and reads its sub-choice (1 the questionnaire, 2 the listing) into
// `*choice`. Returns false at the end of input.
bool askRetrievalChoice(Console& console, int* choice);

// Clears the console, then shows the heading, a short notice and the contact banner.
void clearScreenOption(ConsoleStream& stream, Terminal& terminal, Notices& notices);

}  // namespace survey
