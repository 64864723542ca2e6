// The questionnaire action in whole sessions: prompts, summary, record and bad input.
#include <gtest/gtest.h>

#include <vector>

#include "app/run_driver.h"
#include "support/fakes.h"
#include "support/golden.h"
#include "support/same_text.h"

namespace survey::testing {
namespace {

// Option 1 with `answers`, then -1.
std::string oneQuestionnaire(const std::string& answers) { return "1\n1\n" + answers + "\n-1\n"; }

// `answers` with the word at `index` (0-based, in prompt order) replaced.
std::string replaceWord(std::string answers, size_t index, const std::string& word) {
  size_t start = 0;
  for (size_t i = 0; i < index; ++i) start = answers.find(' ', start) + 1;
  size_t end = answers.find(' ', start);
  return answers.replace(start, end == std::string::npos ? std::string::npos : end - start, word);
}

// The record's line `number` (1-based) of `file`.
std::string recordLine(const std::string& file, int number) {
  size_t start = 0;
  for (int i = 1; i < number; ++i) start = file.find('\n', start) + 1;
  return file.substr(start, file.find('\n', start) - start);
}

TEST(Questionnaire, FiguresFollowTheRealAnswersAndBadOnesStoreZeroWithANotice) {
  const std::string thanks = ". Thank You For Providing These Options And Selections. ";
  const struct {
    const char* sameAge;
    const char* anotherYearAge;
    std::vector<std::string> shown;  // lines expected in the summary
    std::string recordLine17;
    bool bad;  // an answer is no number: 0 is stored, with a notice
  } cases[] = {
      {"10",
       "5",
       {" The(This) Number Divided By 3 :: 10  / 3 = 3.33333 , Nearest Number(s). Thank You Very "
        "Much "},
       " Your Age In 5 Years Time Will Be :: 15 " + thanks,
       false},
      {"30",
       "2000",
       {" The Multiple Of The(This) Number Is :: 2000 x 2000 = 4e+006",
        "  --> Your Age In 30 Year(s) Time Will Be 2030.  Thank You Very Much "},
       " Your Age In 2000 Years Time Will Be :: 2030 " + thanks,
       false},
      {"-30",
       "-5",
       {"  --> Your Age In -30 Year(s) Time Will Be -35.  Thank You Very Much ",
        " The Multiple Of The(This) Number Is :: -5 x -5 = 25",
        " The Addition Of The(This) Number Is :: -5 + -5 = -10",
        " The(This) Number Divided By 2 :: -30  / 2 = -15 , Nearest Number(s). Thank You Very "
        "Much ",
        " The(This) Number Divided By 4 :: -5  / 4 = -1.25 , Nearest Number(s). Thank You Very "
        "Much "},
       " Your Age In -5 Years Time Will Be :: -35 " + thanks,
       false},
      {"1e300",
       "1e300",
       {" The Multiple Of The(This) Number Is :: 1e+300 x 1e+300 = inf"},
       " Your Age In 1e+300 Years Time Will Be :: 2e+300 " + thanks,
       false},
      {"thirty", "5", {}, " Your Age In 5 Years Time Will Be :: 5 " + thanks, true},
      {"30", "-", {}, " Your Age In 0 Years Time Will Be :: 30 " + thanks, true},
      {".", "+", {}, " Your Age In 0 Years Time Will Be :: 0 " + thanks, true},
      {"30",
       "1234567890123456789012345678",
       {},
       " Your Age In 0 Years Time Will Be :: 30 " + thanks,
       true},
      {"30", "1e999", {}, " Your Age In 0 Years Time Will Be :: 30 " + thanks, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.sameAge) + " and " + c.anotherYearAge);
    FakeEnv env(oneQuestionnaire(
        replaceWord(replaceWord(sampleAnswers(), 5, c.sameAge), 6, c.anotherYearAge)));
    EXPECT_EQ(runSurvey(env), 0);
    for (const std::string& line : c.shown) {
      EXPECT_NE(env.fakeOutput().text.find("\n" + line + "\n"), std::string::npos) << line;
    }
    EXPECT_EQ(recordLine(env.recordFile(), 17), c.recordLine17);
    // The next answer is still the one typed after the real ones, whatever they were.
    EXPECT_EQ(recordLine(env.recordFile(), 11),
              " Candidate(Bearer) Is Educational(Learning Center) :: Hill-Learning-Centre");
    EXPECT_EQ(env.fakeErrors().text.find("is not a number; 0 is stored") != std::string::npos,
              c.bad)
        << env.fakeErrors().text;
  }
}

// `answers` with `word` typed for the answer at `index`, and without the last answer, so that
// a word more in `word` still makes 23.
std::string typedFor(std::string answers, size_t index, const std::string& word) {
  answers = replaceWord(answers, index, word);
  return answers.substr(0, answers.rfind(' '));
}

// Answers spread over lines, or carried over to the next prompt (which is named), give the
// screens and the record of the same answers typed plainly.
TEST(Questionnaire, AnswersAcrossLinesOrCarriedOverChangeNeitherScreensNorRecord) {
  std::string perLine = sampleAnswers();
  for (char& c : perLine) c = c == ' ' ? '\n' : c;
  std::string oneAnswerPerLine = typedFor(sampleAnswers(), 2, "Port\tHarcourt");
  for (char& c : oneAnswerPerLine) c = c == ' ' ? '\n' : c == '\t' ? ' ' : c;
  const struct {
    const char* name;
    std::string answers;  // as typed
    std::string alike;    // answers that are read the same and get no notice
    bool terminal;        // standard input is a terminal
    std::string named;    // what the one notice names; empty: no notice
  } cases[] = {
      {"one answer per line, piped", perLine, sampleAnswers(), false, ""},
      {"two words typed at one prompt", oneAnswerPerLine, oneAnswerPerLine, true,
       "place-of-birth prompt: \"Port\" is the answer; \"Harcourt\" goes to the next prompt"},
      {"text glued to a number, piped", typedFor(sampleAnswers(), 6, "36,5"),
       typedFor(sampleAnswers(), 6, "36 ,5"), false,
       "calculated-age prompt: \"36,5\" is read as 36; \",5\" goes"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeEnv announced(oneQuestionnaire(c.answers));
    announced.fakeTerminal().inputIsConsole = c.terminal;
    FakeEnv quiet(oneQuestionnaire(c.alike));
    EXPECT_EQ(runSurvey(announced), 0);
    EXPECT_EQ(runSurvey(quiet), 0);
    const std::string& errors = announced.fakeErrors().text;
    if (c.named.empty()) {
      EXPECT_EQ(errors, "");
    } else {
      EXPECT_EQ(errors.find("survey: " + c.named), 0u) << errors;
      EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    }
    EXPECT_EQ(quiet.fakeErrors().text, "");
    EXPECT_SAME_TEXT(announced.fakeOutput().text, quiet.fakeOutput().text);
    ASSERT_TRUE(announced.recordFileExists());
    EXPECT_SAME_TEXT(announced.recordFile(), quiet.recordFile());
  }
}

TEST(Questionnaire, TheSummaryShowsControlCharactersInCaretNotationAndTheRecordKeepsThem) {
  std::string controls;
  for (char c = 1; c < 0x20; ++c) {
    if (c < '\t' || c > '\r') controls.push_back(c);
  }
  controls.push_back('\x7f');
  // C1 controls (U+0080 to U+009F) are two bytes each, and drive terminals as well.
  const std::string c1Controls = "Ko\xc2\x9b\xc2\x80\xc2\x9fwal\xc2\xa9";
  FakeEnv env(oneQuestionnaire(replaceWord(
      replaceWord(replaceWord(sampleAnswers(), 2, "Lon\x1b[Ddon"), 0, controls), 1, c1Controls)));
  EXPECT_EQ(runSurvey(env), 0);
  const std::string& out = env.fakeOutput().text;
  EXPECT_NE(out.find("\n  --> Candidate(Bearer) Is Full Name :: "
                     "^A^B^C^D^E^F^G^H^N^O^P^Q^R^S^T^U^V^W^X^Y^Z^[^\\^]^^^_^? "
                     "Ko<U+009B><U+0080><U+009F>wal\xc2\xa9\n"),
            std::string::npos);
  EXPECT_NE(out.find("\n  --> Candidate(Bearer) Is Place Of Birth :: Lon^[[Ddon , Age Is"),
            std::string::npos);
  for (size_t at = 0; at < out.size(); ++at) {
    const char c = out[at];
    ASSERT_FALSE((c >= 0 && c < 0x20 && c != '\n') || c == 0x7f) << "byte " << int(c);
    ASSERT_FALSE(out.compare(at, 1, "\xc2") == 0 && static_cast<unsigned char>(out[at + 1]) < 0xa0)
        << "a C1 control at " << at;
  }
  EXPECT_EQ(recordLine(env.recordFile(), 8), " Candidate Name :: " + controls + " " + c1Controls);
  EXPECT_EQ(recordLine(env.recordFile(), 9), " Candidate Place Of Birth Is :: Lon\x1b[Ddon");
  EXPECT_NE(env.fakeErrors().text.find("place-of-birth prompt: "), std::string::npos);
}

TEST(Questionnaire, AnOverlongWordIsCutAndItsRestDropped) {
  const std::string longWord(5000, 'k');
  FakeEnv env(oneQuestionnaire(replaceWord(sampleAnswers(), 7, longWord)));
  EXPECT_EQ(runSurvey(env), 0);
  EXPECT_EQ(recordLine(env.recordFile(), 11),
            " Candidate(Bearer) Is Educational(Learning Center) :: " + longWord.substr(0, 4096));
  EXPECT_EQ(recordLine(env.recordFile(), 12),
            " Enter The Street Name For This Center :: Station-Road");
  EXPECT_NE(env.fakeErrors().text.find("was cut"), std::string::npos);
}

TEST(Questionnaire, TwoQuestionnairesAppendTwoRecordsSharingTheStartTime) {
  FakeEnv env("1\n1\n" + std::string(sampleAnswers()) + "\n2\n1\n" +
              replaceWord(sampleAnswers(), 0, "Grace") + "\n-1\n");
  EXPECT_EQ(runSurvey(env), 0);
  const std::string first = sampleRecord();
  std::string second = first;
  second.replace(second.find(":: Ana ") + 3, 3, "Grace");
  EXPECT_EQ(env.recordFile(), first + second);
  EXPECT_EQ(env.fakeClock().calls, 1);
}

TEST(Questionnaire, EndOfInputStoresNothingAndEndsWithStatusOne) {
  const std::string answers = sampleAnswers();
  const size_t cuts[] = {0, answers.find("Riverton-Bakery"),
                         answers.rfind(' ')};  // first, 11th, last
  const size_t promptsShown[] = {1, 11, 23};
  for (size_t i = 0; i < 3; ++i) {
    FakeEnv env("1\n1\n" + answers.substr(0, cuts[i]));
    EXPECT_EQ(runSurvey(env), 1);
    EXPECT_FALSE(env.recordFileExists());
    const std::string& out = env.fakeOutput().text;
    // The questionnaire stops at the prompt that met the end: no summary, no run-count banner.
    std::string prompts = samplePrompts();
    size_t end = 0;
    for (size_t p = 0; p < promptsShown[i] + (promptsShown[i] > 14 ? 1 : 0); ++p) {
      end = prompts.find('\n', end) + 1;
    }
    EXPECT_SAME_TEXT(
        out, startBlock() + numberPrompt() + menu(1) + prompts.substr(0, end) + exitBlock());
    EXPECT_NE(env.fakeErrors().text.find("nothing was saved"), std::string::npos);
    EXPECT_EQ(env.fakeTerminal().keyWaits, 1);
  }
}

TEST(Questionnaire, ARecordThatCannotBeSavedIsReportedAndTheRunGoesOn) {
  FakeEnv env(oneQuestionnaire(sampleAnswers()));
  env.memoryFiles().directories.insert("datas.dat");
  EXPECT_EQ(runSurvey(env), 1);
  EXPECT_SAME_TEXT(env.fakeOutput().text, session(numberPrompt() + menu(1) + samplePrompts() +
                                                  sampleSummary() + runCountBanner(1)));
  // The notice, then the record itself, so that nothing typed is lost.
  EXPECT_SAME_TEXT(env.fakeErrors().text,
                   "survey: cannot save the record to datas.dat: Is a directory; the run goes on "
                   "and will end with status 1; the record follows\n" +
                       sampleRecord());
}

}  // namespace
}  // namespace survey::testing
