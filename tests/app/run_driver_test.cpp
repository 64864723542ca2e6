// Whole sessions of the main loop compared byte for byte with screens cut from the golden
// transcripts.
#include "app/run_driver.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/fakes.h"
#include "support/golden.h"
#include "support/same_text.h"

namespace survey::testing {
namespace {

std::string pass(int loopValue, int count) {
  return numberPrompt() + menu(loopValue) + runCountBanner(count);
}

TEST(RunDriver, TheKeyWaitComesBeforeTheLastPressAnyKey) {
  FakeEnv env("-1\n");
  EXPECT_EQ(runSurvey(env), 0);
  const std::string expected = session("");
  EXPECT_EQ(env.fakeTerminal().keyWaits, 1);
  // The second "Press any key" stays pending until after the key.
  const std::string pressAnyKey = "Press any key to continue...";
  EXPECT_SAME_TEXT(env.fakeTerminal().outputAtKeyWait,
                   expected.substr(0, expected.size() - pressAnyKey.size()));
}

TEST(RunDriver, TheSameBytesOnATerminalButFlushedPerLineThere) {
  const std::string keys = "1\n0\n2\n6\n3\n-1\n-1\n";
  FakeEnv piped(keys);
  FakeEnv terminal(keys);
  terminal.fakeTerminal().isTerminal = true;
  runSurvey(piped);
  runSurvey(terminal);
  EXPECT_SAME_TEXT(piped.fakeOutput().text, terminal.fakeOutput().text);
  // Piped: a write before each read, around the direct prints and at exit, never per line.
  EXPECT_LE(piped.fakeOutput().writes, piped.fakeInput().reads + 8);
  // On a terminal every line end flushes: one write per line but the 15 printed directly.
  const std::string& text = terminal.fakeOutput().text;
  EXPECT_GE(terminal.fakeOutput().writes, std::count(text.begin(), text.end(), '\n') - 15);
}

struct NumberCase {
  const char* name;
  const char* keys;
  std::string passes;  // the continuing passes the keys give
  bool notice;         // whether a notice goes to standard error
};

void PrintTo(const NumberCase& c, std::ostream* out) { *out << c.name; }

class NumberPromptTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberPromptTest, ReadsAsTheWholeNumberRulesSay) {
  const NumberCase& c = GetParam();
  FakeEnv env(c.keys);
  EXPECT_EQ(runSurvey(env), 0);
  EXPECT_SAME_TEXT(env.fakeOutput().text, session(c.passes));
  EXPECT_EQ(!env.fakeErrors().text.empty(), c.notice) << env.fakeErrors().text;
  EXPECT_EQ(env.fakeClock().calls, 1);
  EXPECT_EQ(env.fakeTerminal().keyWaits, 1);
  EXPECT_FALSE(env.recordFileExists());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NumberPromptTest,
    ::testing::Values(
        NumberCase{"Octal", "010\n0\n-1\n", pass(8, 1), false},
        NumberCase{"Hex", "0x10\n0\n-1\n", pass(16, 1), false},
        NumberCase{"UpperHex", "0XfF\n0\n-1\n", pass(255, 1), false},
        // 08: the 0 is the number, the 8 answers the menu prompt (announced) and selects nothing.
        NumberCase{"OctalStopsAtEight", "08\n-1\n", pass(0, 1), true},
        NumberCase{"MinusZeroOneEnds", "-01\n", "", false},
        NumberCase{"ZeroContinues", "0\n0\n-1\n", pass(0, 1), false},
        NumberCase{"MinusTwoContinues", "-2\n-1\n-1\n", pass(-2, 1), false},
        NumberCase{"PlusSign", "+7\n0\n-1\n", pass(7, 1), false},
        NumberCase{"ClampedHigh", "0xFFFFFFFF\n0\n-1\n", pass(2147483647, 1), false},
        NumberCase{"ClampedLow", "-99999999999\n0\n-1\n", pass(-2147483647 - 1, 1), false},
        // Only 15 characters are read; "6789" answers the menu prompt (announced).
        NumberCase{"FifteenCharacters", "1234567890123456789\n-1\n", pass(2147483647, 1), true},
        NumberCase{"TwoNumbersOnOneLine", "4 0 -1\n", pass(4, 1), false},
        NumberCase{"LettersAtNumberPrompt", "abc\n0\n-1\n", pass(0, 1), true},
        NumberCase{"LoneSignAtNumberPrompt", "- 0\n-1\n", pass(0, 1), true},
        NumberCase{"LettersAtMenuPrompt", "5\nxyz\n-1\n", pass(5, 1), true},
        // "up" is left for the next number prompt, which reads it as 0.
        NumberCase{"DigitsThenLettersAtMenu", "5\n7up\n-1\n", pass(5, 1) + pass(0, 2), true},
        NumberCase{"EndOfInputAtNumberPrompt", "", "", false},
        NumberCase{"EndOfInputAfterPasses", "1 0 2 0", pass(1, 1) + pass(2, 2), false},
        NumberCase{"ThreePassesWithOptionsThatShowNothing", "1\n0\n2\n6\n3\n-1\n-1\n",
                   pass(1, 1) + pass(2, 2) + pass(3, 3), false},
        // Each word is read once, as 0: three passes, then the end of input ends the run.
        NumberCase{"LettersNeverLoopForever", "a b c d e f\n", pass(0, 1) + pass(0, 2) + pass(0, 3),
                   true}),
    [](const ::testing::TestParamInfo<NumberCase>& info) { return info.param.name; });

TEST(RunDriver, EndOfInputAtTheMenuPromptSkipsTheRestOfThePass) {
  FakeEnv env("3\n");
  EXPECT_EQ(runSurvey(env), 0);
  EXPECT_SAME_TEXT(env.fakeOutput().text, startBlock() + numberPrompt() + menu(3) + exitBlock());
  EXPECT_EQ(env.fakeTerminal().keyWaits, 1);
}

TEST(RunDriver, AFailedStandardOutputEndsWithStatusOneAndANotice) {
  FakeEnv env("1\n0\n-1\n");
  env.fakeOutput().failAfter = 100;
  EXPECT_EQ(runSurvey(env), 1);
  EXPECT_NE(env.fakeErrors().text.find("cannot write to standard output"), std::string::npos);
}

}  // namespace
}  // namespace survey::testing
