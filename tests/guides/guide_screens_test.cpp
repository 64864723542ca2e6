// The retrieval guide's sub-choices and the clear screen, beyond the golden "guides" case (which
// shows each guide, choices 1, 2 and 3, and the clear of redirected output).
#include <gtest/gtest.h>

#include "app/run_driver.h"
#include "support/fakes.h"
#include "support/golden.h"
#include "support/same_text.h"

namespace survey::testing {
namespace {

// The retrieval guide with its prompt, cut from the golden "guides" case: its pass with the
// loop value 4 takes choice 3, which runs nothing.
std::string retrievalGuide() {
  const std::string guides = goldenScreen("guides.out");
  const size_t start = guides.find(menu(4)) + menu(4).size();
  return guides.substr(start, guides.find(runCountBanner(4), start) - start);
}

TEST(Guides, RetrievalChoicesThatRunNothing) {
  for (const char* choice : {"0", "-1", "0x2f", "list"}) {
    FakeEnv env(std::string("4\n4\n") + choice + "\n-1\n");
    EXPECT_EQ(runSurvey(env), 0);
    EXPECT_SAME_TEXT(env.fakeOutput().text,
                     session(numberPrompt() + menu(4) + retrievalGuide() + runCountBanner(1)))
        << choice;
    EXPECT_EQ(env.fakeErrors().text.empty(), choice != std::string("list")) << choice;
  }
}

TEST(Guides, RetrievalChoiceTwoWithoutARecordFileEndsTheRun) {
  FakeEnv env("4\n4\n2\n-1\n");
  EXPECT_EQ(runSurvey(env), 1);
  EXPECT_SAME_TEXT(env.fakeOutput().text, startBlock() + numberPrompt() + menu(4) +
                                              retrievalGuide() + "Cannot open file.");
}

TEST(Guides, EndOfInputAtTheRetrievalChoiceEndsTheRun) {
  FakeEnv env("4\n4\n");
  EXPECT_EQ(runSurvey(env), 0);
  EXPECT_SAME_TEXT(env.fakeOutput().text,
                   startBlock() + numberPrompt() + menu(4) + retrievalGuide() + exitBlock());
}

TEST(Guides, ClearScreenOnATerminalWritesTheAnsiClearInstead) {
  FakeEnv piped("5\n5\n-1\n");
  FakeEnv terminal("5\n5\n-1\n");
  terminal.fakeTerminal().isTerminal = true;
  EXPECT_EQ(runSurvey(piped), 0);
  EXPECT_EQ(runSurvey(terminal), 0);
  std::string expected = piped.fakeOutput().text;
  expected.replace(expected.find('\f'), 1, "\x1b[H\x1b[2J\x1b[3J");
  EXPECT_SAME_TEXT(terminal.fakeOutput().text, expected);
}

}  // namespace
}  // namespace survey::testing
