// The golden transcripts of tests/golden, run in-process against the fixed clock. The same
// files are compared with the real executables (tools/check-transcripts), on Linux and under
// Wine, so a transcript that passes here is also the one expected of every build.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/run_driver.h"
#include "support/fakes.h"

namespace survey::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kGoldenDir = SURVEY_GOLDEN_DIR;

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

// The placeholders filled from the fake clock, 21:05 on 7 December 2026, and the clear that
// the fake terminal writes to redirected output.
std::string filled(std::string text) {
  replaceAll(text, "@TIME@", "09:05 PM");
  replaceAll(text, "@DAY@", "7");
  replaceAll(text, "@MONTH@", "December");
  replaceAll(text, "@YEAR@", "2026");
  replaceAll(text, "@CLEAR@", "\f");
  return text;
}

std::vector<std::string> caseNames() {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(kGoldenDir)) {
    if (entry.path().extension() == ".keys") names.push_back(entry.path().stem().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class GoldenTranscriptTest : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenTranscriptTest, MatchesTheGoldenFiles) {
  const fs::path base = kGoldenDir / GetParam();
  FakeEnv env(readFile(base.string() + ".keys"));
  const int status = runSurvey(env);

  EXPECT_EQ(env.fakeOutput().text, filled(readFile(base.string() + ".out")));
  EXPECT_EQ(env.fakeErrors().text, readFile(base.string() + ".err"));
  EXPECT_EQ(std::to_string(status) + "\n", readFile(base.string() + ".status"));
  const fs::path records = base.string() + ".dat";
  ASSERT_EQ(env.recordFileExists(), fs::exists(records));
  if (fs::exists(records)) {
    EXPECT_EQ(env.recordFile(), filled(readFile(records)));
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
      EXPECT_TRUE(fs::exists(kGoldenDir / (name + extension))) << name << extension;
    }
  }
}

}  // namespace
}  // namespace survey::testing
