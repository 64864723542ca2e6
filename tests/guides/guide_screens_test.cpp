// The guide screens, the retrieval guide's sub-choice and the clear screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/run_driver.h"
#include "support/expected_screens.h"
#include "support/fakes.h"
#include "support/sample_questionnaire.h"

namespace survey::testing {
namespace {

// The guides' lines as shown, in tests/data.
const std::string kUsage = testData("usage_guide.txt");
const std::string kRetrieval = testData("retrieval_guide.txt");
const std::string kNotice = testData("clear_screen_notice.txt");

// Line `index` (0-based) of `text`.
std::string lineOf(const std::string& text, size_t index) {
  size_t start = 0;
  for (size_t i = 0; i < index; ++i) start = text.find('\n', start) + 1;
  return text.substr(start, text.find('\n', start) - start);
}

const std::string kRetrievalPrompt =
    " --> Enter Requested Option |--| [ Enter Option 1 Or 2 Only ] Option(Selection) Requested :: "
    "\n";

std::string session(int option, const std::string& shown, int count = 1) {
  return expectedStartBlock(FakeEnv::defaultTime()) + expectedNumberPrompt() +
         expectedMenu(option) + shown + expectedRunCountBanner(count) + expectedNumberPrompt() +
         expectedExitBlock();
}

TEST(Guides, TrailingBlanksAreWhereTheScreensHaveThem) {
  // The expected texts keep their trailing blanks, and lack them only where the screens do.
  const struct {
    const std::string& text;
    size_t lines;
    std::vector<size_t> withoutBlank;
  } guides[] = {{kUsage, 23, {11, 12}}, {kRetrieval, 16, {9}}, {kNotice, 6, {4, 5}}};
  for (const auto& guide : guides) {
    ASSERT_EQ(std::count(guide.text.begin(), guide.text.end(), '\n'), guide.lines);
    for (size_t i = 0; i < guide.lines; ++i) {
      bool blank = lineOf(guide.text, i).back() == ' ';
      bool expected = std::find(guide.withoutBlank.begin(), guide.withoutBlank.end(), i) ==
                      guide.withoutBlank.end();
      EXPECT_EQ(blank, expected) << "line " << i + 1 << " of a guide";
    }
  }
}

TEST(Guides, UsageGuide) {
  FakeEnv env("3\n3\n-1\n");
  EXPECT_EQ(runSurvey(env), 0);
  EXPECT_EQ(env.fakeOutput().text, session(3, " \n" + kUsage + " \n" + expectedUsageGuideBanner()));
}

TEST(Guides, RetrievalGuideWithAChoiceThatRunsNothing) {
  const std::string guide = " \n" + kRetrieval + " \n" + kRetrievalPrompt;
  for (const char* choice : {"3", "0", "-1", "0x2f"}) {
    FakeEnv env(std::string("4\n4\n") + choice + "\n-1\n");
    EXPECT_EQ(runSurvey(env), 0);
    EXPECT_EQ(env.fakeOutput().text, session(4, guide)) << choice;
    EXPECT_EQ(env.fakeErrors().text, "");
  }
  FakeEnv letters("4\n4\nlist\n-1\n");
  EXPECT_EQ(runSurvey(letters), 0);
  EXPECT_EQ(letters.fakeOutput().text, session(4, guide));
  EXPECT_NE(letters.fakeErrors().text.find("\"list\" is not a whole number"), std::string::npos);
}

TEST(Guides, RetrievalChoiceOneRunsTheQuestionnaireOnce) {
  FakeEnv env("4\n4\n1\n" + std::string(kSampleAnswers) + "\n-1\n");
  EXPECT_EQ(runSurvey(env), 0);
  EXPECT_EQ(env.fakeOutput().text, session(4, " \n" + kRetrieval + " \n" + kRetrievalPrompt +
                                                  expectedPrompts() + expectedSampleSummary()));
  EXPECT_EQ(env.recordFile(), expectedSampleRecord());
}

TEST(Guides, RetrievalChoiceTwoLists) {
  FakeEnv env("4\n4\n2\n-1\n");
  env.memoryFiles().files["datas.dat"] = "stored\n";
  EXPECT_EQ(runSurvey(env), 0);
  EXPECT_EQ(env.fakeOutput().text,
            session(4, " \n" + kRetrieval + " \n" + kRetrievalPrompt + "stored\n\n"));

  FakeEnv missing("4\n4\n2\n-1\n");
  EXPECT_EQ(runSurvey(missing), 1);
  EXPECT_EQ(missing.fakeOutput().text,
            expectedStartBlock(FakeEnv::defaultTime()) + expectedNumberPrompt() + expectedMenu(4) +
                " \n" + kRetrieval + " \n" + kRetrievalPrompt + "Cannot open file.");
}

TEST(Guides, EndOfInputAtTheRetrievalChoiceEndsTheRun) {
  FakeEnv env("4\n4\n");
  EXPECT_EQ(runSurvey(env), 0);
  EXPECT_EQ(env.fakeOutput().text, expectedStartBlock(FakeEnv::defaultTime()) +
                                       expectedNumberPrompt() + expectedMenu(4) + " \n" +
                                       kRetrieval + " \n" + kRetrievalPrompt + expectedExitBlock());
}

TEST(Guides, ClearScreenWritesAFormFeedWhenRedirectedAndTheAnsiClearOnATerminal) {
  for (bool isTerminal : {false, true}) {
    FakeEnv env("5\n5\n-1\n");
    env.fakeTerminal().isTerminal = isTerminal;
    EXPECT_EQ(runSurvey(env), 0);
    const std::string clear = isTerminal ? "\x1b[H\x1b[2J\x1b[3J" : "\f";
    EXPECT_EQ(env.fakeOutput().text, session(5, clear + expectedClearScreenHeading() + " \n" +
                                                    kNotice + " \n" + expectedClearScreenBanner()));
  }
}

}  // namespace
}  // namespace survey::testing
