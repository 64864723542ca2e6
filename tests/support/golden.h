// The golden transcripts of tests/golden: the one source of the screens every build must show.
// Tests of other input cut the pieces they need out of them.
#pragma once

#include <string>

namespace survey::testing {

// tests/golden/`name` as it stands ("" when missing).
std::string goldenFile(const std::string& name);
// The same with the start time and date of the fake clock (21:05 on 7 December 2026) and the
// clear of redirected output (a form feed) in place of their placeholders.
std::string goldenScreen(const std::string& name);

// From the top of the screen to the status line, as a run started by the fake clock shows it.
std::string startBlock();
// The number prompt of a pass, up to and including the short rule after the read.
std::string numberPrompt();
// The echo of a continuing number and the option menu.
std::string menu(int loopValue);
std::string runCountBanner(int count);
// The exit block; its last "Press any key to continue..." has no line end.
std::string exitBlock();
// A whole session: the start block, `passes`, the number prompt that ended the loop, the exit.
std::string session(const std::string& passes);

// The questionnaire of the golden case "questionnaire": its 23 answers on one line, its prompts
// (with the fee's lead-in), the summary they give and the record they store.
std::string sampleAnswers();
std::string samplePrompts();
std::string sampleSummary();
std::string sampleRecord();

}  // namespace survey::testing
