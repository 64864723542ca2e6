// The built program writing files: --output replaced whole or not at all, and a database that a
// failed or killed run leaves as it was.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>

#include "export/sample_records.h"
#include "process/process_support.h"

#ifdef SURVEY_HAVE_SQLITE
#include <sqlite3.h>
#endif

namespace survey::testing {
namespace {

namespace fs = std::filesystem;

class OutputProgram : public ExportProgramTest {
 protected:
  void SetUp() override {
    std::string many;
    for (int i = 0; i < 200; ++i) {
      many += recordOf(trickyAnswers(), LocalTime{1, 0, 126, 0, i % 60});
    }
    write("datas.dat", recordOf(trickyAnswers()));
    write("many.dat", many);
  }
  // The names in the folder, sorted, but for the run's own out and err.
  std::string names() {
    std::set<std::string> found;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      const std::string name = entry.path().filename().string();
      if (name != "out" && name != "err") found.insert(name);
    }
    std::string joined;
    for (const std::string& name : found) joined += name + " ";
    return joined;
  }
};

TEST_F(OutputProgram, WritesTheFileWholeOrLeavesTheOldOne) {
  ASSERT_EQ(run("datas.dat"), 0);
  const std::string csv = read("out");
  ASSERT_EQ(run("--output records.csv datas.dat"), 0);
  EXPECT_EQ(read("records.csv"), csv);
  EXPECT_EQ(read("out"), "");
  EXPECT_EQ(run("--output records.csv many.dat missing.dat"), 2);
  EXPECT_EQ(read("records.csv"), csv);
  EXPECT_EQ(names(), "datas.dat many.dat records.csv ");
}

#ifdef SURVEY_HAVE_SQLITE
// The records table, rows in recordId order, opened for writing so that a journal left by a
// killed run is rolled back as any later user of the database would.
std::string recordsOf(const fs::path& database) {
  sqlite3* db = nullptr;
  std::string rows;
  sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, "SELECT recordId, file, line FROM records ORDER BY recordId", -1,
                         &statement, nullptr) != SQLITE_OK) {
    rows = std::string("bad query: ") + sqlite3_errmsg(db);
  }
  while (statement != nullptr && sqlite3_step(statement) == SQLITE_ROW) {
    for (int column = 0; column < 3; ++column) {
      rows += reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
      rows += column < 2 ? "|" : "\n";
    }
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return rows;
}

TEST_F(OutputProgram, ADatabaseThatAFailedRunMadeIsRemoved) {
  fs::create_directory(dir_ / "folder");
  EXPECT_EQ(run("--format sqlite --output new.db datas.dat folder"), 2);
  EXPECT_EQ(names(), "datas.dat folder many.dat ");
  // The file a new database is made in cannot be made: no database appears.
  fs::create_directory(dir_ / "new.db.partial");
  EXPECT_EQ(run("--format sqlite --output new.db datas.dat"), 2);
  EXPECT_EQ(names(), "datas.dat folder many.dat new.db.partial ");
}

// Starts an export into `database` from a pipe fed `many` and held open, and waits until the
// run has begun to change the file `changed` (its rollback journal is there). Returns the
// run's process; `*pipe` is the pipe's end to close once the run may finish.
pid_t startMidWrite(const fs::path& dir, const std::string& database, const std::string& changed,
                    const std::string& many, int* pipe) {
  EXPECT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
  const pid_t child = fork();
  if (child == 0) {
    setsid();
    const int in = open((dir / "pipe").c_str(), O_RDONLY);
    dup2(in, 0);
    const int out = open("/dev/null", O_WRONLY);
    dup2(out, 1);
    dup2(out, 2);
    const std::string path = (dir / database).string();
    execl(SURVEY_EXPORT_EXE, SURVEY_EXPORT_EXE, "--format=sqlite", "--output", path.c_str(), "-",
          static_cast<char*>(nullptr));
    _exit(127);
  }
  EXPECT_GT(child, 0);
  *pipe = open((dir / "pipe").c_str(), O_WRONLY);
  EXPECT_EQ(::write(*pipe, many.data(), many.size()), static_cast<ssize_t>(many.size()));
  const fs::path journal = dir / (changed + "-journal");
  for (int tries = 0; tries < 1000 && !fs::exists(journal); ++tries) usleep(10000);
  EXPECT_TRUE(fs::exists(journal));
  return child;
}

// Kills a run into `database` once it has begun to change the file `changed`.
void killMidWrite(const fs::path& dir, const std::string& database, const std::string& changed,
                  const std::string& many) {
  int pipe = -1;
  const pid_t child = startMidWrite(dir, database, changed, many, &pipe);
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  close(pipe);
  EXPECT_TRUE(WIFSIGNALED(status));
}

TEST_F(OutputProgram, ARunKilledMidWriteLeavesTheDatabaseAsItWas) {
  ASSERT_EQ(run("--format sqlite --output kept.db datas.dat"), 0);
  const std::string before = recordsOf(dir_ / "kept.db");
  ASSERT_NE(before, "");
  killMidWrite(dir_, "kept.db", "kept.db", read("many.dat"));
  EXPECT_EQ(recordsOf(dir_ / "kept.db"), before);
  // SQLite's own journal may be left by the kill; the next run takes it over and ends it.
  EXPECT_EQ(run("--format sqlite --output kept.db datas.dat"), 0);
  EXPECT_EQ(read("err"), "survey-export: datas.dat: 0 records new to kept.db, 1 already there\n");
  EXPECT_EQ(recordsOf(dir_ / "kept.db"), before);
  EXPECT_EQ(names(), "datas.dat kept.db many.dat pipe ");
}

TEST_F(OutputProgram, ARunKilledWhileMakingADatabaseLeavesNoDatabase) {
  killMidWrite(dir_, "new.db", "new.db.partial", read("many.dat"));
  EXPECT_FALSE(fs::exists(dir_ / "new.db"));
  // What the kill left is taken over by the next run, which says so, and gone once it ends.
  EXPECT_EQ(run("--format sqlite --output new.db datas.dat"), 0);
  EXPECT_EQ(read("err"),
            "survey-export: new.db.partial: left by a run that stopped before it finished; its "
            "records are dropped and the database made afresh\n"
            "survey-export: datas.dat: 1 record new to new.db, 0 already there\n");
  ASSERT_EQ(run("--format sqlite --output whole.db datas.dat"), 0);
  EXPECT_EQ(recordsOf(dir_ / "new.db"), recordsOf(dir_ / "whole.db"));
  EXPECT_EQ(names(), "datas.dat many.dat new.db pipe whole.db ");
}

TEST_F(OutputProgram, TwoRunsMakingOneDatabaseBothAddTheirRecords) {
  int pipe = -1;
  const pid_t first = startMidWrite(dir_, "new.db", "new.db.partial", read("many.dat"), &pipe);
  // The second run finds no database either, and waits for the first to make it.
  const pid_t second = fork();
  if (second == 0) {
    close(pipe);  // the first run ends when the test closes its end
    _exit(run("--format sqlite --output new.db datas.dat"));
  }
  ASSERT_GT(second, 0);
  usleep(500000);
  close(pipe);
  int status = 0;
  ASSERT_EQ(waitpid(first, &status, 0), first);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  ASSERT_EQ(waitpid(second, &status, 0), second);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << read("err");
  ASSERT_EQ(run("--format sqlite --output whole.db - datas.dat", (dir_ / "many.dat").string()), 0);
  EXPECT_EQ(recordsOf(dir_ / "new.db"), recordsOf(dir_ / "whole.db"));
  EXPECT_EQ(names(), "datas.dat many.dat new.db pipe whole.db ");
}
#endif

}  // namespace
}  // namespace survey::testing
