// The built program itself: real files, exit status, the version from the build.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "export/read_whole.h"
#include "export/row_writers.h"
#include "export/sample_records.h"
#include "process/process_support.h"

namespace survey::testing {
namespace {

namespace fs = std::filesystem;

class SurveyExportProgram : public ExportProgramTest {};

TEST_F(SurveyExportProgram, ExportsRealFilesAndNamesTheOnesItCannotRead) {
  SurveyAnswers answers = trickyAnswers();
  write("datas.dat", recordOf(answers));
  answers.firstName = "Second";
  write("crlf.dat", withCrLf(recordOf(answers)));
  fs::create_directory(dir_ / "folder");

  EXPECT_EQ(run(""), 0);
  EXPECT_EQ(read("out").substr(0, 10), "file,line,");
  // The record's identity stands between the line and the run date.
  const std::string csv = read("out");
  const size_t row = csv.find("\r\ndatas.dat,1,");
  ASSERT_NE(row, std::string::npos);
  const std::string recordId = csv.substr(row + 14, 16);
  EXPECT_EQ(recordId.find_first_not_of("0123456789abcdef"), std::string::npos) << recordId;
  const std::string values = ",2026-12-07,21:05,08/12/2026,09:00,Zoë,\"O\"\"Brien,Jr\",";
  EXPECT_EQ(csv.substr(row + 30, values.size()), values);

  EXPECT_EQ(run("--format jsonl datas.dat crlf.dat folder"), 2);
  const std::string out = read("out");
  EXPECT_EQ(out.rfind("{\"file\":\"datas.dat\",\"line\":1,", 0), 0u);
  EXPECT_NE(out.find("{\"file\":\"datas.dat\",\"line\":1,\"recordId\":\"" + recordId + "\","),
            std::string::npos);
  EXPECT_NE(out.find("\",\"runDate\":\"2026-12-07\",\"runTime\":"
                     "\"21:05\",\"entryDate\":\"08/12/2026\",\"entryTime\":\"09:00\","
                     "\"firstName\":\"Second\","),
            std::string::npos);
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 2);
  EXPECT_EQ(read("err"),
            "survey-export: folder: Is a directory\n"
            "survey-export: datas.dat: 1 record exported\n"
            "survey-export: crlf.dat: 1 record exported\n");
}

// Standard input that cannot be read is named with its reason, as a file is.
TEST_F(SurveyExportProgram, NamesTheErrorOfStandardInput) {
  fs::create_directory(dir_ / "folder");
  EXPECT_EQ(run("-", "folder"), 2);
  std::string header;
  appendCsvHeader(&header);
  EXPECT_EQ(read("out"), header);  // standard input is open, as a file whose read fails is
  EXPECT_EQ(read("err"),
            "survey-export: (standard input): Is a directory\n"
            "survey-export: (standard input): 0 records exported; the read stopped at an error\n");
}

// A file of many blocks, read a block at a time: the same as one parser fed it whole.
TEST_F(SurveyExportProgram, ReadsALargeFileAsOneParserWould) {
  std::string file;
  for (int i = 0; file.size() < 3 * 1024 * 1024 + 1000; ++i) {
    SurveyAnswers answers = trickyAnswers();
    answers.firstName = "N" + std::to_string(i);
    std::string record = recordOf(answers);
    if (i % 97 == 5) record.replace(record.find("Candidate Name"), 9, "Kandidate");
    file += i % 13 == 0 ? withCrLf(record) : record;
    if (i % 211 == 7) file += "junk\n";
  }
  file.resize(file.size() - 10);  // the last record cut short
  write("big.dat", file);
  const ExportResult whole = readWhole(file, "big.dat");
  std::string header;
  appendCsvHeader(&header);

  EXPECT_EQ(run("big.dat"), 1);
  EXPECT_EQ(read("out"), header + whole.rows);
  EXPECT_EQ(read("err"), whole.reports);
}

// At a terminal, rows and reports alike: an answer and a file name that would set the
// window's title and clear the screen show as text.
TEST_F(SurveyExportProgram, ShowsNoControlSequenceAtATerminal) {
  SurveyAnswers answers = trickyAnswers();
  answers.touristPlace =
      "\x1b]2;owned\x07\xc2\x9b"
      "2J";
  write("datas.dat", recordOf(answers));
  const std::string missing = "m\x1b]2;owned\x07.dat";
  int master = -1;
  pid_t child = forkpty(&master, nullptr, nullptr, nullptr);
  if (child == 0) {
    if (chdir(dir_.c_str()) != 0) _exit(126);
    execl(SURVEY_EXPORT_EXE, "survey-export", "datas.dat", missing.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  ASSERT_GT(child, 0);
  std::string screen;
  pollfd watch{master, POLLIN, 0};
  char chunk[4096];
  ssize_t got = 0;
  while (poll(&watch, 1, 10000) > 0 && (got = ::read(master, chunk, sizeof chunk)) > 0) {
    screen.append(chunk, static_cast<size_t>(got));
  }
  int status = 0;
  waitpid(child, &status, 0);
  close(master);
  EXPECT_EQ(WEXITSTATUS(status), 2);
  EXPECT_NE(screen.find(",^[]2;owned^G<U+009B>2J,"), std::string::npos) << screen;
  EXPECT_NE(screen.find("survey-export: m^[]2;owned^G.dat: No such file or directory"),
            std::string::npos)
      << screen;
  EXPECT_EQ(screen.find('\x1b'), std::string::npos);
  EXPECT_EQ(screen.find('\x07'), std::string::npos);
  EXPECT_EQ(screen.find("\xc2\x9b"), std::string::npos);
}

TEST_F(SurveyExportProgram, TellsTheVersionOfTheBuild) {
  EXPECT_EQ(run("--version"), 0);
  const std::string out = read("out");
  EXPECT_EQ(out.substr(0, out.find('\n')), "survey-export (survey) " SURVEY_EXPECTED_VERSION);
}

}  // namespace
}  // namespace survey::testing
