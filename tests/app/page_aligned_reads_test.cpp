// Every large read of a session goes into a buffer that starts on a page: the fakes count the
// reads that do not.
#include <gtest/gtest.h>

#include "app/run_driver.h"
#include "support/fakes.h"
#include "support/golden.h"

namespace survey::testing {
namespace {

TEST(PageAlignedReads, PipedAnswersAndTheListing) {
  std::string keys;
  for (int i = 0; i < 40; ++i) keys += "1 1 " + sampleAnswers() + "\n";
  keys += "1 2 -1\n";
  FakeEnv env(keys);
  env.fakeInput() = FakeInput(keys, 777);  // reads that end anywhere in a word or number
  env.memoryFiles().files["datas.dat"] = std::string(3 << 20, 'x') + "\n";
  env.memoryFiles().readChunk = 100000;

  EXPECT_EQ(runSurvey(env), 0);
  EXPECT_GT(env.fakeInput().reads, 10);
  EXPECT_EQ(env.fakeInput().unalignedReads, 0);
  EXPECT_EQ(env.memoryFiles().unalignedReads, 0);
}

}  // namespace
}  // namespace survey::testing
