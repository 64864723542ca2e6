// The clear-screen option when standard output fails: one notice at the end, status 1.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/run_driver.h"
#include "support/fakes.h"

namespace survey::testing {
namespace {

TEST(ClearScreenOutput, AFailedClearIsAFailureOfStandardOutputReportedOnce) {
  const std::string keys = "1\n5\n-1\n";
  FakeEnv healthy(keys);
  ASSERT_EQ(runSurvey(healthy), 0);
  const size_t clearAt = healthy.fakeOutput().text.find('\f');
  ASSERT_NE(clearAt, std::string::npos);
  // Output fails from the start, or first at the clear itself.
  for (size_t failAfter : {size_t{0}, clearAt}) {
    SCOPED_TRACE(failAfter);
    FakeEnv env(keys);
    env.fakeOutput().failAfter = failAfter;
    EXPECT_EQ(runSurvey(env), 1);
    const std::string& errors = env.fakeErrors().text;
    EXPECT_EQ(errors, "survey: cannot write to standard output: No space left on device\n");
    EXPECT_EQ(env.fakeOutput().text, healthy.fakeOutput().text.substr(0, failAfter));
  }
}

}  // namespace
}  // namespace survey::testing
