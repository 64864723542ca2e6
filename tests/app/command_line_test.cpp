// --help and --version end the run with their text; other arguments leave the run to go on.
#include <gtest/gtest.h>

#include "app/survey_program.h"
#include "support/fakes.h"

namespace survey::testing {
namespace {

struct ArgsCase {
  const char* name;
  std::vector<std::string_view> args;
  const char* firstLine;           // nullptr: the questionnaire runs
  std::vector<const char*> named;  // options the text answered must name
};

void PrintTo(const ArgsCase& c, std::ostream* out) { *out << c.name; }

class CommandLineTest : public ::testing::TestWithParam<ArgsCase> {};

TEST_P(CommandLineTest, AnswersOnlyHelpAndVersion) {
  const ArgsCase& c = GetParam();
  FakeOutput output;
  FakeOutput errors;
  int status = -1;
  const bool answered = answerInformationOption(c.args, kSurveyProgram, output, errors, &status);
  if (c.firstLine == nullptr) {
    EXPECT_FALSE(answered);
    EXPECT_EQ(output.text, "");
    EXPECT_EQ(status, -1);
  } else {
    EXPECT_TRUE(answered);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(output.text.substr(0, output.text.find('\n')), c.firstLine);
    EXPECT_EQ(output.text.back(), '\n');
    for (const char* option : c.named) {
      EXPECT_NE(output.text.find(option), std::string::npos) << option;
    }
  }
  EXPECT_EQ(errors.text, "");
}

const char* const kVersionLine = "survey " SURVEY_EXPECTED_VERSION;
const char* const kUsageLine = "Usage: survey [OPTION]...";

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLineTest,
    ::testing::Values(
        ArgsCase{"NoArguments", {}, nullptr, {}},
        ArgsCase{"Version", {"--version"}, kVersionLine, {}},
        ArgsCase{"Help", {"--help"}, kUsageLine, {"--help", "--version"}},
        ArgsCase{"OthersIgnored", {"-x", "datas.dat", "--verbose"}, nullptr, {}},
        ArgsCase{"ShortFormsAreNotOptions", {"-h", "-v", "--h"}, nullptr, {}},
        ArgsCase{"AfterAnIgnoredArgument", {"extra", "--version"}, kVersionLine, {}},
        ArgsCase{"TheFirstWins", {"--help", "--version"}, kUsageLine, {"--help", "--version"}},
        ArgsCase{"NotAfterTheEndOfOptions", {"--", "--help"}, nullptr, {}}),
    [](const ::testing::TestParamInfo<ArgsCase>& info) { return info.param.name; });

TEST(CommandLine, AFailedWriteEndsWithStatusOneAndANotice) {
  FakeOutput output;
  output.failAfter = 0;
  FakeOutput errors;
  int status = -1;
  EXPECT_TRUE(answerInformationOption({"--version"}, kSurveyProgram, output, errors, &status));
  EXPECT_EQ(status, 1);
  EXPECT_EQ(errors.text, "survey: cannot write to standard output: No space left on device\n");
}

}  // namespace
}  // namespace survey::testing
