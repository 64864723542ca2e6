// What lies beside the record file, planted by another user, on the real file system: it
// never puts bytes into a record file nor stops a save; and standard streams closed at start.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>

#include "process/process_support.h"
#include "records/record_writer.h"

namespace survey::testing {

namespace {

const char* const kOneRecord =
    "1\n1\nAda Lovelace London 1815-12-10 36 36 37.5 Centre-One Main-Street Name Shop Plant "
    "Repairs Library 10 Mall School 2026-12-08 09:00 State Place Language Country\n-1\n";
constexpr uid_t kOtherUser = 65534;

// Runs survey in `dir` with `keys` as input; standard error is closed with `closeErrors`.
// With `asOther`, runs as another user (needs root).
ProcessResult runSurvey(const std::string& dir, const std::string& keys, bool closeErrors,
                        bool asOther) {
  ProcessOptions options;
  // Another user may not reach the build directory: it runs a copy from `dir`.
  if (asOther) {
    options.program = dir + "/.survey";
    std::ofstream(options.program, std::ios::binary) << readFile(SURVEY_EXE);
    chmod(options.program.c_str(), 0755);
  }
  options.beforeStart = [&] {
    if (closeErrors) close(STDERR_FILENO);
    return !asOther || (setgid(kOtherUser) == 0 && setuid(kOtherUser) == 0);
  };
  ProcessResult run = runSurveyProcess(dir, keys, options);
  if (asOther) unlink(options.program.c_str());
  return run;
}

int lines(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

TEST(JournalTrust, APlantedJournalPutsNothingIntoTheFileAndStopsNoSave) {
  const std::string kept = "alias ls='ls --color'\n";
  const std::string planted = "\necho PWNED\n";
  // A journal that would put `planted` in at the file's last line end, after `identity`.
  auto plantJournal = [&](const std::string& dir, const std::string& identity) {
    std::ofstream(dir + "/datas.dat.pending", std::ios::binary)
        << "survey-pending " + identity + std::to_string(kept.size() - 1) + " " +
               std::to_string(planted.size()) + "\n" + planted;
  };
  const struct {
    const char* name;
    bool needsRoot;  // the victim runs as another user, in a sticky directory it cannot clean
    std::function<void(const std::string& dir)> plant;
    int notices;
  } cases[] = {
      {"the issue's journal, another user's, in a sticky directory", true,
       [&](const std::string& dir) { plantJournal(dir, ""); }, 1},
      {"a journal naming the file, another user's, in a sticky directory", true,
       [&](const std::string& dir) {
         struct stat info;
         stat((dir + "/target").c_str(), &info);
         plantJournal(dir, std::to_string(info.st_dev) + " " + std::to_string(info.st_ino) + " ");
       },
       1},
      {"a directory by the journal's name", false,
       [](const std::string& dir) { mkdir((dir + "/datas.dat.pending").c_str(), 0755); }, 1},
      {"a link to the file by the journal's name", false,
       [](const std::string& dir) { symlink("target", (dir + "/datas.dat.pending").c_str()); }, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.needsRoot && geteuid() != 0) continue;
    ScratchDir dir;
    const std::string target = dir.file("target");
    std::ofstream(target, std::ios::binary) << kept;
    ASSERT_EQ(symlink("target", dir.file("datas.dat").c_str()), 0);
    c.plant(dir.path());
    if (c.needsRoot) {
      ASSERT_EQ(chmod(dir.path().c_str(), 01777), 0);
      ASSERT_EQ(chown(target.c_str(), kOtherUser, kOtherUser), 0);
      ASSERT_EQ(lchown(dir.file("datas.dat").c_str(), kOtherUser, kOtherUser), 0);
    }
    for (int save = 0; save < 2; ++save) {
      const ProcessResult run = runSurvey(dir.path(), kOneRecord, false, c.needsRoot);
      EXPECT_EQ(run.status, 0) << run.err;
      // Said once a run: each run says it again.
      EXPECT_EQ(lines(run.err), c.notices) << run.err;
      if (c.notices != 0) {
        EXPECT_NE(run.err.find("datas.dat.pending"), std::string::npos);
      }
    }
    const std::string now = readFile(target);
    ASSERT_EQ(now.substr(0, kept.size()), kept);
    const std::string records = now.substr(kept.size());
    EXPECT_EQ(records.find("PWNED"), std::string::npos);
    ASSERT_EQ(records.size() % 2, 0u);
    EXPECT_TRUE(isWholeRecord(records.substr(0, records.size() / 2))) << records;
    EXPECT_EQ(records.substr(0, records.size() / 2), records.substr(records.size() / 2));
  }
}

TEST(JournalTrust, ANoticeWithStandardErrorClosedNeverLandsInTheRecordFile) {
  ScratchDir dir;
  // A directory by the journal's name makes the save say so while the file is open.
  ASSERT_EQ(mkdir(dir.file("datas.dat.pending").c_str(), 0755), 0);
  const ProcessResult run = runSurvey(dir.path(), kOneRecord, true, false);
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(isWholeRecord(readFile(dir.file("datas.dat")))) << readFile(dir.file("datas.dat"));
}

// survey-export opens its files after the streams: each closed one is the null device, never
// the record file, so the rows and the summary go where they should or nowhere.
TEST(JournalTrust, SurveyExportWithAStandardStreamClosedReadsAndWritesAsEver) {
  ScratchDir dir;
  ASSERT_EQ(runSurvey(dir.path(), kOneRecord, false, false).status, 0);
  const struct {
    const char* name;
    const char* redirections;
    const char* shown;  // in the file that the stream left open goes to
  } cases[] = {
      {"standard output closed", ">&- 2>shown", "1 record exported"},
      {"standard error closed", ">shown 2>&-", "file,line,"},
      {"standard input closed", "<&- >shown 2>/dev/null", "file,line,"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string command =
        "cd '" + dir.path() + "' && '" + SURVEY_EXPORT_EXE + "' " + c.redirections;
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_NE(readFile(dir.file("shown")).find(c.shown), std::string::npos)
        << readFile(dir.file("shown"));
    EXPECT_TRUE(isWholeRecord(readFile(dir.file("datas.dat"))));
  }
}

}  // namespace
}  // namespace survey::testing
