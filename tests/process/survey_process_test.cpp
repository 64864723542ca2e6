// The real executable: record file faults and concurrent writers (the golden transcripts run it
// in tools/check-transcripts).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>
#include <vector>

#include "process/process_support.h"
#include "support/golden.h"

namespace survey::testing {
namespace {

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::string oneRecord() { return "1\n1\n" + sampleAnswers() + "\n"; }

TEST(SurveyProcess, ARecordFileThatCannotBeWrittenIsReportedAndLeftAsItWas) {
  const struct {
    const char* name;
    bool directory;
  } cases[] = {{"a directory named datas.dat", true}, {"datas.dat linked to /dev/full", false}};
  for (const auto& c : cases) {
    ScratchDir dir;
    const std::string path = dir.file("datas.dat");
    ASSERT_EQ(c.directory ? mkdir(path.c_str(), 0755) : symlink("/dev/full", path.c_str()), 0);
    ProcessResult run = runSurveyProcess(dir.path(), oneRecord() + "1\n3\n-1\n");
    EXPECT_EQ(run.status, 1) << c.name;
    EXPECT_NE(run.err.find("cannot save the record to datas.dat"), std::string::npos) << run.err;
    // The run went on: another pass ran and the exit block was written.
    EXPECT_NE(run.out.find(runCountBanner(2)), std::string::npos) << c.name;
    EXPECT_EQ(run.out.substr(run.out.size() - 28), "Press any key to continue...");
    struct stat info;
    ASSERT_EQ(lstat(path.c_str(), &info), 0);
    EXPECT_EQ(c.directory ? S_ISDIR(info.st_mode) : S_ISLNK(info.st_mode), true) << c.name;
  }
}

// A listing piped into another program goes through in large blocks only if the pipe holds them.
TEST(SurveyProcess, WidensThePipeItsOutputGoesTo) {
  ScratchDir dir;
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  const int before = fcntl(ends[0], F_GETPIPE_SZ);
  ProcessOptions options;
  options.beforeStart = [&] { return dup2(ends[1], STDOUT_FILENO) == STDOUT_FILENO; };
  ProcessResult run = runSurveyProcess(dir.path(), "-1\n", options);
  close(ends[1]);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_GE(fcntl(ends[0], F_GETPIPE_SZ), 1024 * 1024) << "was " << before;
  close(ends[0]);
}

TEST(SurveyProcess, FourWritersAtOnceLeaveOnlyWholeRecords) {
  ScratchDir dir;
  const int kWriters = 4, kRecordsEach = 25;
  std::vector<pid_t> writers;
  for (int w = 0; w < kWriters; ++w) {
    std::string input;
    for (int r = 0; r < kRecordsEach; ++r) {
      std::string answers = sampleAnswers();
      answers.replace(0, 3, "W" + std::to_string(w) + "R" + std::to_string(r));
      input += "1\n1\n" + answers + "\n";
    }
    input += "-1\n";
    pid_t child = fork();
    if (child == 0) {
      ProcessResult run = runSurveyProcess(dir.path(), input);
      _exit(run.status);
    }
    writers.push_back(child);
  }
  for (pid_t child : writers) {
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  std::vector<std::string> lines = splitLines(readFile(dir.file("datas.dat")));
  ASSERT_EQ(lines.size(), 35u * kWriters * kRecordsEach);
  std::vector<std::string> sample = splitLines(sampleRecord());
  std::set<std::string> names;
  for (size_t at = 0; at < lines.size(); at += 35) {
    for (size_t i = 0; i < 35; ++i) {
      if (i == 7 || i == 29) continue;  // the name, and the start time of each run
      ASSERT_EQ(lines[at + i], sample[i]) << "record at line " << at + 1;
    }
    names.insert(lines[at + 7]);
  }
  EXPECT_EQ(names.size(), static_cast<size_t>(kWriters * kRecordsEach));
}

}  // namespace
}  // namespace survey::testing
