// The program as a process under faults: killed while saving, standard output on a full
// device, a named pipe as the record file, and the input ending after every prefix of a
// whole session.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

#include "console/start_clock.h"
#include "process/process_support.h"
#include "questionnaire/survey_answers.h"
#include "records/record_writer.h"
#include "support/fakes.h"

namespace survey::testing {
namespace {

const char* const kAnswers =
    "Ada Lovelace London 1815-12-10 36 36 37.5 Centre-One Main-Street Name Shop Plant Repairs "
    "Library 10 Mall School 2026-12-08 09:00 State Place Language Country";

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  if (start < text.size()) lines.push_back(text.substr(start));  // a torn last line
  return lines;
}

std::string withoutStartTime(const std::string& record) {
  std::vector<std::string> lines = splitLines(record);
  lines.at(29).clear();
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

// The records of a file, each checked to be whole: 35 lines, the first and the last as every
// record has them. Line 30 (the start time) is blanked, since a process takes the real clock.
std::vector<std::string> wholeRecords(const std::string& file) {
  std::vector<std::string> records;
  const std::vector<std::string> shape = splitLines(buildRecord(answerLookup({}), {}));
  std::vector<std::string> lines = splitLines(file);
  EXPECT_TRUE(file.empty() || file.back() == '\n') << "the file ends inside a line";
  EXPECT_EQ(lines.size() % 35, 0u) << "a torn record";
  for (size_t at = 0; at + 35 <= lines.size(); at += 35) {
    EXPECT_EQ(lines[at], shape[0]) << "record " << at / 35;
    EXPECT_EQ(lines[at + 34], shape[34]) << "record " << at / 35;
    std::string record;
    for (size_t i = at; i < at + 35; ++i) record += lines[i] + "\n";
    records.push_back(withoutStartTime(record));
  }
  return records;
}

// A kill can cut a write short at a page boundary; what the program guarantees is that the
// next save, before it appends, completes the record, and that a listing meanwhile reads
// without writing.
TEST(Faults, AKillWhileSavingNeverLeavesATornRecord) {
  std::string keys;
  for (int i = 0; i < 400; ++i) keys += std::string("1\n1\n") + kAnswers + "\n";
  keys += "-1\n";
  FakeClock clock(FakeEnv::defaultTime());
  SurveyAnswers answers;
  answers.firstName = "Ada";  // only its size matters here
  const size_t recordSize = buildRecord(answerLookup(answers), takeStartClock(clock)).size();

  std::random_device seedSource;
  const unsigned seed = seedSource();
  std::mt19937 random(seed);
  int withRecords = 0;
  for (int round = 0; round < 60; ++round) {
    SCOPED_TRACE("seed " + std::to_string(seed) + " round " + std::to_string(round));
    ScratchDir dir;
    // Kill once the file has passed a random size and a further random pause has gone by, so
    // the kills land all over the saving of the records.
    const off_t threshold = static_cast<off_t>(random() % (12 * recordSize));
    const auto pause = std::chrono::microseconds(random() % 3000);
    const std::string path = dir.file("datas.dat");
    std::chrono::steady_clock::time_point reached{};
    SurveyChild child(dir.path());
    ProcessResult ran = child.run(
        keys,
        [&] {
          auto now = std::chrono::steady_clock::now();
          struct stat info;
          if (reached == decltype(reached){}) {
            if (stat(path.c_str(), &info) != 0 || info.st_size < threshold) return false;
            reached = now;
          }
          return now >= reached + pause;
        },
        std::chrono::seconds(60));
    ASSERT_FALSE(ran.hung);
    ASSERT_TRUE(ran.stopped) << "the program ended before the kill: " << ran.err;
    child.killAndWait(SIGKILL);
    // A listing reads what the kill left and changes nothing; the next save settles it.
    const std::string killed = dir.read("datas.dat"), pending = dir.read("datas.dat.pending");
    ASSERT_TRUE(runSurveyProcess(dir.path(), "1\n2\n-1\n").exited);
    EXPECT_EQ(dir.read("datas.dat"), killed);
    EXPECT_EQ(dir.read("datas.dat.pending"), pending);
    ProcessResult saved = runSurveyProcess(dir.path(), std::string("1\n1\n") + kAnswers + "\n-1\n");
    ASSERT_TRUE(saved.exited);
    EXPECT_EQ(saved.status, 0) << saved.err;
    EXPECT_FALSE(std::ifstream(dir.file("datas.dat.pending")).good());
    std::vector<std::string> records = wholeRecords(dir.read("datas.dat"));
    for (const std::string& record : records) EXPECT_EQ(record, records[0]);
    if (!records.empty()) ++withRecords;
  }
  EXPECT_GT(withRecords, 0);
}

TEST(Faults, StandardOutputOnAFullDeviceEndsWithANoticeAndStatusOne) {
  for (const std::string& keys :
       {std::string("-1\n"), "7\n1\n" + std::string(kAnswers) + "\n3\n5\n-1\n"}) {
    SCOPED_TRACE(keys);
    ScratchDir dir;
    ProcessOptions fullOutput;
    fullOutput.stdoutPath = "/dev/full";
    ProcessResult ran = runSurveyProcess(dir.path(), keys, fullOutput);
    ASSERT_TRUE(ran.exited);
    EXPECT_EQ(ran.status, 1);
    EXPECT_EQ(ran.err.find("survey: cannot write to standard output: "), 0u) << ran.err;
    EXPECT_EQ(std::count(ran.err.begin(), ran.err.end(), '\n'), 1) << ran.err;
  }
}

TEST(Faults, ARecordFileThatIsAPipeNeitherHangsNorTakesARecord) {
  const struct {
    std::string keys;
    const char* shownAtEnd;
    const char* notice;
  } cases[] = {
      {"7\n2\n", "Cannot open file.", "survey: cannot open datas.dat: "},
      {"7\n1\n" + std::string(kAnswers) + "\n-1\n", "Press any key to continue...",
       "survey: cannot save the record to datas.dat: "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    ScratchDir dir;
    ASSERT_EQ(mkfifo(dir.file("datas.dat").c_str(), 0666), 0);
    ProcessResult ran = runSurveyProcess(dir.path(), c.keys);
    ASSERT_FALSE(ran.hung);
    ASSERT_TRUE(ran.exited);
    EXPECT_EQ(ran.status, 1);
    const std::string tail = c.shownAtEnd;
    ASSERT_GE(ran.out.size(), tail.size());
    EXPECT_EQ(ran.out.substr(ran.out.size() - tail.size()), tail);
    EXPECT_EQ(ran.err.find(c.notice), 0u) << ran.err;
  }
}

// A whole session: a questionnaire, the listing, the usage guide, the retrieval guide with a
// second questionnaire, the clear screen, -1. Every item is one word, so the n-th read takes
// the n-th word (or what of it the input holds).
struct Script {
  std::string keys;
  std::vector<size_t> starts;      // where each word begins
  std::vector<int> questionnaire;  // per word: 0, or which questionnaire it answers (1, 2)
};

Script wholeSession() {
  const std::string answers[2] = {
      "Ada Lovelace London 1815 36 36 37.5 Centre Street Name Shop Plant Repairs Library 10 "
      "Mall School 2026-12-08 09:00 State Place Language Country",
      "Bo Li Ulm 1990 3 -3.5e1 4 C S N B P M L F X Y D T A O G Z"};
  Script script;
  auto add = [&](const std::string& text, int questionnaire) {
    std::istringstream words(text);
    for (std::string word; words >> word;) {
      script.starts.push_back(script.keys.size());
      script.questionnaire.push_back(questionnaire);
      script.keys += word + (script.keys.size() % 3 == 0 ? "\n" : " ");
    }
  };
  add("5 1", 0);
  add(answers[0], 1);
  add("6 2 7 3 8 4 1", 0);
  add(answers[1], 2);
  add("9 5 -1", 0);
  return script;
}

// The answers a questionnaire read when the input was cut at `size` bytes.
SurveyAnswers answersRead(const Script& script, int questionnaire, size_t size) {
  std::vector<std::string> words;
  for (size_t i = 0; i < script.starts.size(); ++i) {
    if (script.questionnaire[i] != questionnaire || script.starts[i] >= size) continue;
    size_t end = script.keys.find_first_of(" \n", script.starts[i]);
    words.push_back(script.keys.substr(script.starts[i], std::min(end, size) - script.starts[i]));
  }
  words.resize(23);
  SurveyAnswers a;
  std::string* leading[] = {&a.firstName, &a.surname, &a.placeOfBirth, &a.dateOfBirth,
                            &a.ageNowText};
  std::string* trailing[] = {
      &a.learningCenter,      &a.centerStreet,       &a.coordinatorName, &a.nearbyBusiness,
      &a.productivityCompany, &a.maintenanceCompany, &a.zonalLibrary,    &a.libraryFee,
      &a.shoppingCenter,      &a.nearestSchool,      &a.entryDate,       &a.entryTime,
      &a.stateOrCity,         &a.touristPlace,       &a.tribalLanguage,  &a.country};
  for (size_t i = 0; i < 5; ++i) *leading[i] = words[i];
  a.sameAge = std::strtod(words[5].c_str(), nullptr);
  a.anotherYearAge = std::strtod(words[6].c_str(), nullptr);
  for (size_t i = 0; i < 16; ++i) *trailing[i] = words[7 + i];
  return a;
}

TEST(Faults, InputEndingAfterAnyPrefixOfASession) {
  const Script script = wholeSession();
  FakeClock clock(FakeEnv::defaultTime());
  const StartClock start = takeStartClock(clock);
  for (size_t size = 0; size <= script.keys.size(); ++size) {
    SCOPED_TRACE("input cut after " + std::to_string(size) +
                 " bytes: " + script.keys.substr(0, size));
    // The first read that meets the end is the one after the last word begun.
    const size_t begun = static_cast<size_t>(
        std::lower_bound(script.starts.begin(), script.starts.end(), size) - script.starts.begin());
    const int cutQuestionnaire = begun < script.starts.size() ? script.questionnaire[begun] : 0;
    std::vector<std::string> expected;
    for (int q : {1, 2}) {
      size_t last = 0;
      for (size_t i = 0; i < script.starts.size(); ++i) {
        if (script.questionnaire[i] == q) last = i;
      }
      if (last < begun) {
        expected.push_back(
            withoutStartTime(buildRecord(answerLookup(answersRead(script, q, size)), start)));
      }
    }

    ScratchDir dir;
    ProcessResult ran = runSurveyProcess(dir.path(), script.keys.substr(0, size));
    ASSERT_FALSE(ran.hung);
    ASSERT_TRUE(ran.exited);
    EXPECT_EQ(ran.status, cutQuestionnaire != 0 ? 1 : 0) << ran.err;
    EXPECT_EQ(wholeRecords(dir.read("datas.dat")), expected);
    EXPECT_EQ(ran.err.find("nothing was saved") != std::string::npos, cutQuestionnaire != 0)
        << ran.err;
    // The exit block closes every run.
    const std::string tail = "\nPress any key to continue...";
    EXPECT_EQ(ran.out.substr(ran.out.size() - std::min(ran.out.size(), tail.size())), tail);
  }
}

}  // namespace
}  // namespace survey::testing
