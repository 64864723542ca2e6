// The guide screens, the retrieval guide's sub-choice and the clear screen.
#include <gtest/gtest.h>

#include "console/run_driver.h"
#include "support/expected_screens.h"
#include "support/fakes.h"
#include "support/sample_questionnaire.h"

namespace survey::testing {
namespace {

// The guides' lines, transcribed; lines 12 and 13 of the usage guide, line 10 of the
// retrieval guide and lines 5 and 6 of the notice have no trailing blank.
const char* const kUsage[] = {
    " -----> This Option Instructs You On How To Use This Program(Application) <........ ",
    " -----> Select Option 1 Or Option 2 For The Type Of Data You Wish To Request For <........ ",
    " -----> Option '1' Is Meant To Input The Data(s) Acording To Your Needs For Any Near By "
    "Task(Duty) <........ ",
    " -----> Also, It Allows You To Identify Your Immediate(Instant) Needs According To Your "
    "Demand(s) <........ ",
    " -----> Based On Your Environmental Needs(Goals) And Achievements.  Likewise, It Gives You "
    "The Option <........ ",
    " -----> To Know And Undersand The Developmental(Maintenance) Level(s) Of Your "
    "Community(Environemnt). <........ ",
    " -----> Additionally, This Option Gives You The Chances To Particiapte(Enter Your Needs) In "
    "The Designed(Given) <........ ",
    " -----> Data Collection Process(Task).  Lastly, The Best Available Option To Retrieve Or Get "
    "Your Stored(Saved) Data(s) <.... ",
    " -----> Back Is To Searh For It With The 'Time And The Date' You Used The(This) "
    "Application(Program) Through The Find Box <.... ",
    " -----> That Appears On The Screen.  This Method Quicly Displays The Actual Data That "
    "Corresponds(Related) With That <..... ",
    " -----> Time And(Or) Date As Stored(Saved) On Your Machine(Computer) And Laptop.  Always Put "
    "This In Consideration <.... ",
    " -----> All The Time As One Of The Best Options. Seeing Your Datas BaYou Can Also E.Mail Your "
    "Views(Surveys Or Participation) <.......",
    " -----> Back To The Given(Displayed) E.Mail Address On The Screen Or The Phone Number "
    "Shown(Displayed) On The(This) Screen. <........",
    " -----> Note That The Last Option Which Is Option '5' Is Meant To Clear(Refreshes) The Screen "
    "For You So That Your  :: ",
    " -----> Screen(View) Will Not Be Filled With Texts(Contents - Words) Or Unneeded Texts And "
    "Contents.  :: ",
    " -----> This Option Gets(Gives) You A Clear And Clean Appearance(Sights) For Your Screen. :: ",
    " -----> The Date And Time Search(Find) Option Allows You To Find Your Saved Datas(Contents) "
    "Based On The Day :: ",
    " -----> Got(Were) Entered Into Your Database(File) Which Goes With The Name Also Sometimes. "
    ":: ",
    " -----> The Time Format Can Be In The Form [04-06-2012 Or 06-04-2012 <-> 04/06/2012 Or "
    "06/04/2012] :: ",
    " -----> Which Simultaneously Corresponds With The Task(Event) In The File(Record).  You Can "
    "Also Retrieve The Same :: ",
    " -----> With Time Also According To The Format You Like Most Or The Format Given By The "
    "Program Itself.  Try As Much As :: ",
    " -----> Possible To Follow The Program's Format For Date And Time And The One(Those) You "
    "Select By Yourself.  The(This) :: ",
    " -----> Program(Application) Can Be Executed Or Used On Any Operating System(Win 32 Operating "
    "System) At Anytime. :: ",
};
const char* const kRetrieval[] = {
    " -----> This Option Instructs You On How To Use This Program(Application) <........ ",
    " -----> Select Option 2 For The Data(s) You Wish To Request For(View) <........ ",
    " -----> Option '1' Is Meant To Input The Data(s) Acording To Your Needs For Any Near By "
    "Task(Duty) <........ ",
    " -----> Also, It Allows You To Identify Your Immediate(Instant) Needs According To Your "
    "Demand(s) <........ ",
    " -----> Based On Your Environmental Needs(Goals) And Achievements.  <........ ",
    " -----> You Can Retrieve All Your Saved(Inouted) Datas On The Screen By 'Selecting Option 2' "
    "Only <----- ",
    " -----> After Retireving Or Displaying Your Datas On The Screen, You Can Search For A "
    "Data(Word) You Wish To View <----- ",
    " -----> Personally By Using The(Your) Mouse To Select The 'Black DOS' Icon On The Upper Left "
    "Hand Side(Corner) <----- ",
    " -----> Of The Screen.  Select 'Edit' After That And Select 'Find' Again After That Also. "
    "<----- ",
    " -----> Type The Word(String) You Wish To Find(Look For) In The Text Section Of The Small Box "
    "Shown On The Screen",
    " -----> After Typing The Word(String) There, Select(Click) 'Find Next' On The Small Box Or "
    "Just Press The Enter Button After That. ",
    " -----> To Continue Your Searched Word(String) Until You Reach The End Of The Screen. -----> ",
    " -----> This Application And Instructions On It Are Meant For You To Understand Your Public "
    "Profile(s) And ",
    " -----> Awareness(Consideration) For Your Environmental Ideas, Skills, Knowledge And "
    "Educational Purpose(s). ----->. ",
    " -----> You Can Also E.Mail Your Views(Surveys Or Participation) Back To The <........ ",
    " -----> Given(Displayed) E.Mail Address On The Screen Or The Phone Number Shown(Displayed) On "
    "The(This) Screen. <........ ",
};
const char* const kNotice[] = {
    " -----> This Option Clears(Refeshes - Cleans) The Screen For You For A New Start :: ",
    " -----> Based On Your Environmental Needs(Goals) And Achievements.  The Appliation Gives You "
    "The Option(s) <........ ",
    " -----> To Know And Undersand The Developmental(Maintenance) Views And Level(s) Of Your "
    "Community(Environemnt). <........ ",
    " -----> Additionally, This Option Gives You The Chances To Particiapte(Enter Your Needs) In "
    "The Designed(Given) <........ ",
    " -----> Data Collection Process(Task).  Please Feel Free To E.Mail Your Views(Surveys Or "
    "Participation) <.......",
    " -----> Back To The Given(Displayed) E.Mail Address On The Screen Or The Phone Number "
    "Shown(Displayed) On The(This) Screen. <........",
};

template <size_t N>
std::string joined(const char* const (&lines)[N]) {
  std::string text;
  for (const char* line : lines) text += std::string(line) + "\n";
  return text;
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
  const size_t withoutBlank[] = {11, 12};
  for (size_t i : withoutBlank) EXPECT_NE(std::string(kUsage[i]).back(), ' ') << i;
  EXPECT_NE(std::string(kRetrieval[9]).back(), ' ');
  EXPECT_EQ(std::string(kUsage[0]).back(), ' ');
}

TEST(Guides, UsageGuide) {
  FakeEnv env("3\n3\n-1\n");
  EXPECT_EQ(runSurvey(env), 0);
  EXPECT_EQ(env.fakeOutput().text,
            session(3, " \n" + joined(kUsage) + " \n" + expectedUsageGuideBanner()));
}

TEST(Guides, RetrievalGuideWithAChoiceThatRunsNothing) {
  const std::string guide = " \n" + joined(kRetrieval) + " \n" + kRetrievalPrompt;
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
  EXPECT_EQ(env.fakeOutput().text,
            session(4, " \n" + joined(kRetrieval) + " \n" + kRetrievalPrompt + expectedPrompts() +
                           expectedSampleSummary()));
  EXPECT_EQ(env.recordFile(), expectedSampleRecord());
}

TEST(Guides, RetrievalChoiceTwoLists) {
  FakeEnv env("4\n4\n2\n-1\n");
  env.memoryFiles().files["datas.dat"] = "stored\n";
  EXPECT_EQ(runSurvey(env), 0);
  EXPECT_EQ(env.fakeOutput().text,
            session(4, " \n" + joined(kRetrieval) + " \n" + kRetrievalPrompt + "stored\n\n"));

  FakeEnv missing("4\n4\n2\n-1\n");
  EXPECT_EQ(runSurvey(missing), 1);
  EXPECT_EQ(missing.fakeOutput().text,
            expectedStartBlock(FakeEnv::defaultTime()) + expectedNumberPrompt() + expectedMenu(4) +
                " \n" + joined(kRetrieval) + " \n" + kRetrievalPrompt + "Cannot open file.");
}

TEST(Guides, EndOfInputAtTheRetrievalChoiceEndsTheRun) {
  FakeEnv env("4\n4\n");
  EXPECT_EQ(runSurvey(env), 0);
  EXPECT_EQ(env.fakeOutput().text,
            expectedStartBlock(FakeEnv::defaultTime()) + expectedNumberPrompt() + expectedMenu(4) +
                " \n" + joined(kRetrieval) + " \n" + kRetrievalPrompt + expectedExitBlock());
}

TEST(Guides, ClearScreenWritesAFormFeedWhenRedirectedAndTheAnsiClearOnATerminal) {
  for (bool isTerminal : {false, true}) {
    FakeEnv env("5\n5\n-1\n");
    env.fakeTerminal().isTerminal = isTerminal;
    EXPECT_EQ(runSurvey(env), 0);
    const std::string clear = isTerminal ? "\x1b[H\x1b[2J\x1b[3J" : "\f";
    EXPECT_EQ(env.fakeOutput().text,
              session(5, clear + expectedClearScreenHeading() + " \n" + joined(kNotice) + " \n" +
                             expectedClearScreenBanner()));
  }
}

}  // namespace
}  // namespace survey::testing
