// survey-report over whole files: the sections of the text page and the exit status.
#include <gtest/gtest.h>

#include "export/reporter.h"
#include "export/sample_records.h"
#include "support/same_text.h"

namespace survey::testing {
namespace {

struct Reported {
  int status;
  std::string out, err;
};

Reported reportOn(const std::vector<std::pair<std::string, std::string>>& files,
                  std::vector<std::string> args = {}) {
  FakeEnv env("");
  for (const auto& [name, content] : files) {
    env.memoryFiles().files[name] = content;
    args.push_back(name);
  }
  const int status = runReport(env, args);
  return {status, env.fakeOutput().text, env.fakeErrors().text};
}

// The lines from the title line to the blank line that ends its section.
std::string section(const std::string& page, const std::string& title) {
  const size_t start = page.find("\n" + title + "\n");
  if (start == std::string::npos) return "(no section " + title + ")";
  const size_t end = page.find("\n\n", start + 1);
  return page.substr(start + 1, end == std::string::npos ? std::string::npos : end - start);
}

SurveyAnswers answersWith(const std::string& language, const std::string& age, double sameAge) {
  SurveyAnswers answers = trickyAnswers();
  answers.tribalLanguage = language;
  answers.ageNowText = age;
  answers.sameAge = sameAge;
  answers.anotherYearAge = 5;
  return answers;
}

class SurveyReport : public ::testing::Test {
 protected:
  void SetUp() override {
    const LocalTime monday{7, 11, 126, 9, 0}, tuesday{8, 11, 126, 9, 0};
    north_ = recordOf(answersWith("Hausa", "36", 36), monday) +
             recordOf(answersWith("HAUSA", "36,5", 36.5), monday) +
             recordOf(answersWith("Yoruba", "NA", 41), tuesday);
    south_ = recordOf(answersWith("Hausa", "7", 30), tuesday) + "stray line\n";
    run_ = reportOn({{"north.dat", north_}, {"south.dat", south_}});
  }
  std::string north_, south_;
  Reported run_;
};

TEST_F(SurveyReport, CountsRecordsPerFileAndRunDate) {
  EXPECT_EQ(run_.status, 1) << run_.err;  // the stray line is skipped
  EXPECT_NE(run_.err.find("south.dat:36:"), std::string::npos) << run_.err;
  EXPECT_EQ(run_.out.substr(0, run_.out.find('\n')), "Survey report: 2 files, 4 records");
  EXPECT_SAME_TEXT(section(run_.out, "Records per file"),
                   "Records per file\n"
                   "  north.dat ############################## 3\n"
                   "  south.dat ##########                     1\n"
                   "    skipped: 1\n");
  EXPECT_SAME_TEXT(section(run_.out, "Records per run date"),
                   "Records per run date\n"
                   "  2026-12-07 ############################## 2\n"
                   "  2026-12-08 ############################## 2\n");
}

TEST_F(SurveyReport, GroupsSpellingsAndCountsMissingLikeAnswers) {
  EXPECT_SAME_TEXT(section(run_.out, "Answers: tribalLanguage"),
                   "Answers: tribalLanguage\n"
                   "  Hausa        ############################## 3\n"
                   "    spellings: Hausa 2, HAUSA 1\n"
                   "  Yoruba       ##########                     1\n"
                   "  missing-like (empty, NA, N/A, None, -): 0\n");
  EXPECT_SAME_TEXT(section(run_.out, "Answers: ageNowText"),
                   "Answers: ageNowText\n"
                   "  36           ############################## 1\n"
                   "  36,5         ############################## 1\n"
                   "  7            ############################## 1\n"
                   "  missing-like (empty, NA, N/A, None, -): 1\n");
}

TEST_F(SurveyReport, DrawsTheAgesInDecades) {
  const std::string typed = section(run_.out, "Typed ages (ageNowText)");
  EXPECT_NE(typed.find("  0-9      ############################## 1\n"), std::string::npos)
      << typed;
  EXPECT_NE(typed.find("  30-39    ############################## 1\n"), std::string::npos)
      << typed;
  EXPECT_NE(typed.find("  not a number: 1\n"), std::string::npos) << typed;
  const std::string same =
      section(run_.out, "Same ages (sameAgePlusAnotherYearAge - anotherYearAge)");
  EXPECT_NE(same.find("  30-39    ############################## 3\n"), std::string::npos) << same;
  EXPECT_NE(same.find("  40-49    ##########                     1\n"), std::string::npos) << same;
}

TEST_F(SurveyReport, CountsTheFindingsByRuleAndLocatesTheFirst) {
  const std::string findings = section(run_.out, "Findings of survey-export --check");
  EXPECT_NE(findings.find("  not-a-number: 1\n    north.dat:36 ageNowText 36,5\n"),
            std::string::npos)
      << findings;
  EXPECT_NE(findings.find("  age-mismatch: 1\n    south.dat:1 ageNowText 7\n"), std::string::npos)
      << findings;
}

TEST(SurveyReportOptions, RefusesWhatItDoesNotKnow) {
  const struct {
    std::vector<std::string> args;
    const char* error;
  } cases[] = {
      {{"--format", "pdf"}, "invalid format 'pdf'"},
      {{"--format"}, "option '--format' requires an argument"},
      {{"--encoding=no-such-code-page"}, "unknown encoding"},
      {{"--colour"}, "unrecognized option '--colour'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    const Reported run = reportOn({}, c.args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(c.error), std::string::npos) << run.err;
  }
}

}  // namespace
}  // namespace survey::testing
