// --output and --bom: the file holds what standard output would, and replaces its target only
// once complete.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/exporter.h"
#include "export/sample_records.h"

namespace survey::testing {
namespace {

constexpr const char* kTarget = "out/records.csv";
constexpr const char* kPartial = "out/records.csv.partial";
constexpr const char* kOldTarget = "the export of last week\n";

// What the run writes to standard output without --output.
std::string toStandardOutput(const std::vector<std::string>& args) {
  FakeEnv env("");
  env.memoryFiles().files["datas.dat"] = recordOf(trickyAnswers());
  EXPECT_EQ(runExport(env, args), 0);
  return env.fakeOutput().text;
}

TEST(OutputFile, HoldsWhatStandardOutputWouldForEveryFormat) {
  const std::vector<std::string> kRuns[] = {
      {},
      {"--format", "jsonl"},
      {"--safe-cells"},
      {"--bom"},
      {"--codebook"},
      {"--codebook", "--format=jsonl"},
      {"--codebook", "--bom"},
  };
  for (const std::vector<std::string>& run : kRuns) {
    const std::string expected = toStandardOutput(run);
    FakeEnv env("");
    env.memoryFiles().files["datas.dat"] = recordOf(trickyAnswers());
    env.memoryFiles().files[kTarget] = kOldTarget;
    std::vector<std::string> args = run;
    args.push_back("--output=" + std::string(kTarget));
    const std::string shown = ::testing::PrintToString(args);
    EXPECT_EQ(runExport(env, args), 0) << shown;
    EXPECT_EQ(env.memoryFiles().files[kTarget], expected) << shown;
    EXPECT_EQ(env.fakeOutput().text, "") << shown;
    EXPECT_EQ(env.memoryFiles().files.count(kPartial), 0u) << shown;
    EXPECT_TRUE(env.memoryFiles().unsyncedEntries.empty()) << shown;
    EXPECT_TRUE(env.memoryFiles().unsyncedFiles.empty()) << shown;
  }
}

TEST(OutputFile, BomBeginsCsvOnlyAndIsRefusedForJsonLines) {
  const std::string withBom = toStandardOutput({"--bom"});
  EXPECT_EQ(withBom, "\xEF\xBB\xBF" + toStandardOutput({}));
  EXPECT_EQ(toStandardOutput({"--codebook", "--bom"}),
            "\xEF\xBB\xBF" + toStandardOutput({"--codebook"}));

  FakeEnv env("");
  EXPECT_EQ(runExport(env, {"--bom", "--format=jsonl"}), 2);
  EXPECT_EQ(env.fakeOutput().text, "");
  EXPECT_NE(env.fakeErrors().text.find("'--bom' is for CSV only"), std::string::npos);
}

// A run that fails at any point leaves the old target and no partial file.
TEST(OutputFile, AFailedRunLeavesTheTargetAsItWas) {
  struct Case {
    const char* name;
    const char* failingStep;  // fails at its first use on the partial file; "" for none
    bool secondFileMissing;
    const char* told;
  };
  const Case kCases[] = {
      {"a file not read", "", true, "out/records.csv: left as it was, since the export is"},
      {"a full disk", "append", false, "out/records.csv: left as it was, since the export is"},
      {"a failed sync", "sync", false, "out/records.csv: "},
      {"a failed rename", "rename", false, "out/records.csv: "},
      {"a failed create", "create", false, "out/records.csv.partial: "},
  };
  for (const Case& c : kCases) {
    FakeEnv env("");
    MemoryFileSystem& files = env.memoryFiles();
    files.files["datas.dat"] = recordOf(trickyAnswers());
    files.files[kTarget] = kOldTarget;
    std::vector<std::string> args = {"--output", kTarget, "datas.dat"};
    if (c.secondFileMissing) args.emplace_back("missing.dat");
    files.beforeStep = [&, step = std::string(c.failingStep)](const char* name,
                                                              const std::string& path) {
      if (!step.empty() && name == step && path == kPartial && files.faultAt == 0) {
        files.fault = MemoryFileSystem::Fault::kFail;
        files.faultAt = files.steps + 1;
      }
    };
    EXPECT_EQ(runExport(env, args), 2) << c.name;
    EXPECT_EQ(files.files[kTarget], kOldTarget) << c.name;
    EXPECT_EQ(files.files.count(kPartial), 0u) << c.name;
    EXPECT_NE(env.fakeErrors().text.find(c.told), std::string::npos)
        << c.name << ": " << env.fakeErrors().text;
  }
}

TEST(OutputFile, RefusesToReplaceAFileThatIsRead) {
  const std::vector<std::string> kRuns[] = {
      {"--output", "datas.dat"},
      {"--output=datas.dat", "datas.dat"},
      {"--format=sqlite", "--output", "other.dat", "datas.dat", "other.dat"},
  };
  for (const std::vector<std::string>& run : kRuns) {
    FakeEnv env("");
    env.memoryFiles().files["datas.dat"] = recordOf(trickyAnswers());
    env.memoryFiles().files["other.dat"] = recordOf(trickyAnswers());
    EXPECT_EQ(runExport(env, run), 2) << ::testing::PrintToString(run);
    EXPECT_EQ(env.memoryFiles().files["datas.dat"], recordOf(trickyAnswers()));
    EXPECT_EQ(env.memoryFiles().files["other.dat"], recordOf(trickyAnswers()));
    EXPECT_NE(env.fakeErrors().text.find("is a file to read"), std::string::npos);
  }
}

TEST(OutputFile, ReplacesTheLeftoverOfAKilledRunButNeverADirectory) {
  FakeEnv env("");
  env.memoryFiles().files["datas.dat"] = recordOf(trickyAnswers());
  env.memoryFiles().files[kPartial] = "half a row";
  EXPECT_EQ(runExport(env, {"--output", kTarget}), 0);
  EXPECT_EQ(env.memoryFiles().files[kTarget], toStandardOutput({}));
  EXPECT_EQ(env.memoryFiles().files.count(kPartial), 0u);

  FakeEnv blocked("");
  blocked.memoryFiles().files["datas.dat"] = recordOf(trickyAnswers());
  blocked.memoryFiles().directories.insert(kPartial);
  EXPECT_EQ(runExport(blocked, {"--output", kTarget}), 2);
  EXPECT_EQ(blocked.memoryFiles().files.count(kTarget), 0u);
  EXPECT_EQ(blocked.memoryFiles().directories.count(kPartial), 1u);
}

}  // namespace
}  // namespace survey::testing
