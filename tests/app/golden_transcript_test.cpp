// The golden transcripts of tests/golden, run in-process against the fixed clock. The same
// files are compared with the real executables (tools/check-transcripts), on Linux and under
// Wine, so a transcript that passes here is also the one expected of every build.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/run_driver.h"
#include "support/fakes.h"
#include "support/golden.h"
#include "support/same_text.h"

namespace survey::testing {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> caseNames() {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(SURVEY_GOLDEN_DIR)) {
    if (entry.path().extension() == ".keys") names.push_back(entry.path().stem().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class GoldenTranscriptTest : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenTranscriptTest, MatchesTheGoldenFiles) {
  const std::string& name = GetParam();
  FakeEnv env(goldenFile(name + ".keys"));
  const int status = runSurvey(env);

  EXPECT_SAME_TEXT(env.fakeOutput().text, goldenScreen(name + ".out"));
  EXPECT_SAME_TEXT(env.fakeErrors().text, goldenFile(name + ".err"));
  EXPECT_EQ(std::to_string(status) + "\n", goldenFile(name + ".status"));
  const bool stored = fs::exists(std::string(SURVEY_GOLDEN_DIR) + "/" + name + ".dat");
  ASSERT_EQ(env.recordFileExists(), stored);
  if (stored) {
    EXPECT_SAME_TEXT(env.recordFile(), goldenScreen(name + ".dat"));
  }
}

INSTANTIATE_TEST_SUITE_P(Golden, GoldenTranscriptTest, ::testing::ValuesIn(caseNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

// Every case has all its files, so a missing one cannot pass unnoticed.
TEST(GoldenTranscripts, EveryCaseIsComplete) {
  const std::vector<std::string> names = caseNames();
  EXPECT_GE(names.size(), 8u);
  for (const std::string& name : names) {
    for (const char* extension : {".out", ".err", ".status"}) {
      EXPECT_TRUE(fs::exists(std::string(SURVEY_GOLDEN_DIR) + "/" + name + extension))
          << name << extension;
    }
  }
}

}  // namespace
}  // namespace survey::testing
