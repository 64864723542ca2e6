// The real executable: piped sessions, record file faults and concurrent writers.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <set>
#include <vector>

#include "process/process_support.h"
#include "support/expected_screens.h"
#include "support/sample_questionnaire.h"

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

// The start time as the program showed it in its start block.
LocalTime shownStartTime(const std::vector<std::string>& lines) {
  LocalTime time;
  char ampm[3] = {};
  char month[16] = {};
  int hour12 = 0, year = 0;
  EXPECT_EQ(std::sscanf(lines.at(9).c_str(),
                        " ----> The Time At Program's Run(Execution) Now Is :: %2d:%2d %2s",
                        &hour12, &time.minute, ampm),
            3);
  EXPECT_EQ(std::sscanf(lines.at(10).c_str(), " ----> Today's date is %d %15s %d", &time.dayOfMonth,
                        month, &year),
            3);
  time.hour = hour12 % 12 + (std::string(ampm) == "PM" ? 12 : 0);
  time.yearsSince1900 = year - 1900;
  const char* const months[] = {"January",   "February", "March",    "April",
                                "May",       "June",     "July",     "August",
                                "September", "October",  "November", "December"};
  for (int m = 0; m < 12; ++m) {
    if (month == std::string(months[m])) time.month = m;
  }
  return time;
}

TEST(SurveyProcess, MinusOneWritesTheStartBlockThenTheExitBlock) {
  ScratchDir dir;
  ProcessResult run = runSurveyProcess(dir.path(), "-1\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  std::vector<std::string> lines = splitLines(run.out);
  ASSERT_GT(lines.size(), 11u);
  // The time line is printed directly while the date text is pending, so it shows first; the
  // whole output is rebuilt from the time and date it shows and compared.
  EXPECT_EQ(lines[9].rfind(" ----> The Time At Program's Run(Execution) Now Is :: ", 0), 0u);
  EXPECT_EQ(lines[10].rfind(" ----> Today's date is ", 0), 0u);
  EXPECT_EQ(run.out, expectedEmptyPasses(shownStartTime(lines), ""));
  struct stat info;
  EXPECT_NE(stat(dir.file("datas.dat").c_str(), &info), 0);
}

const std::string kOneRecord = "1\n1\n" + std::string(kSampleAnswers) + "\n";
const std::string kOneRecordSession = kOneRecord + "-1\n";

TEST(SurveyProcess, StoresAndListsARecord) {
  ScratchDir dir;
  ProcessResult stored = runSurveyProcess(dir.path(), kOneRecordSession);
  EXPECT_EQ(stored.status, 0);
  std::string file = readFile(dir.file("datas.dat"));
  EXPECT_EQ(splitLines(file).size(), 35u);
  ProcessResult listed = runSurveyProcess(dir.path(), "1\n2\n-1\n");
  EXPECT_EQ(listed.status, 0);
  EXPECT_NE(listed.out.find(expectedMenu(1) + file + "\n" + expectedRunCountBanner(1)),
            std::string::npos);
}

TEST(SurveyProcess, ARecordFileThatCannotBeWrittenIsReportedAndLeftAsItWas) {
  const struct {
    const char* name;
    bool directory;
  } cases[] = {{"a directory named datas.dat", true}, {"datas.dat linked to /dev/full", false}};
  for (const auto& c : cases) {
    ScratchDir dir;
    const std::string path = dir.file("datas.dat");
    ASSERT_EQ(c.directory ? mkdir(path.c_str(), 0755) : symlink("/dev/full", path.c_str()), 0);
    ProcessResult run = runSurveyProcess(dir.path(), kOneRecord + "1\n3\n-1\n");
    EXPECT_EQ(run.status, 1) << c.name;
    EXPECT_NE(run.err.find("cannot save the record to datas.dat"), std::string::npos) << run.err;
    // The run went on: another pass ran and the exit block was written.
    EXPECT_NE(run.out.find(expectedRunCountBanner(2)), std::string::npos) << c.name;
    EXPECT_EQ(run.out.substr(run.out.size() - 28), "Press any key to continue...");
    struct stat info;
    ASSERT_EQ(lstat(path.c_str(), &info), 0);
    EXPECT_EQ(c.directory ? S_ISDIR(info.st_mode) : S_ISLNK(info.st_mode), true) << c.name;
  }
}

TEST(SurveyProcess, ListingWithoutARecordFileEndsWithStatusOne) {
  ScratchDir dir;
  ProcessResult run = runSurveyProcess(dir.path(), "1\n2\n-1\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out.substr(run.out.size() - 17), "Cannot open file.");
}

TEST(SurveyProcess, FourWritersAtOnceLeaveOnlyWholeRecords) {
  ScratchDir dir;
  const int kWriters = 4, kRecordsEach = 25;
  std::vector<pid_t> writers;
  for (int w = 0; w < kWriters; ++w) {
    std::string input;
    for (int r = 0; r < kRecordsEach; ++r) {
      std::string answers = kSampleAnswers;
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
  std::vector<std::string> sample = splitLines(expectedSampleRecord());
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
