// Whole sessions with arbitrary bytes as the keyboard, in memory, with the clock fixed.
//
// The oracle is a model of the main loop's reads: number prompt, menu prompt, guide choice
// and the 23 answers, in the order the menu options ask for them, each read with the
// reference reader. It predicts every record (the answers of exactly the questionnaire that
// read them, never stale ones), the exit status and the number of passes, without looking at
// the program's output. The program must agree with it; and the same keys handed out in
// different read sizes, or typed at a terminal, must give the same transcript, record file and
// status.
#include <cstdint>
#include <string>
#include <vector>

#include "app/run_driver.h"
#include "console/start_clock.h"
#include "fuzz_check.h"
#include "questionnaire/survey_answers.h"
#include "reader_reference.h"
#include "records/record_writer.h"
#include "support/fakes.h"

namespace survey::fuzzing {
namespace {

using testing::FakeEnv;
using testing::FakeInput;

struct Outcome {
  int status = 0;
  std::string output;
  std::string errors;
  std::string recordFile;
  size_t filesBeside = 0;  // anything left beside the record file
  int keyWaits = 0;
};

Outcome runSession(std::string_view keys, size_t inputChunk, size_t fileChunk, bool typed = false) {
  FakeEnv env("");
  env.fakeInput() = FakeInput(std::string(keys), inputChunk);
  env.fakeTerminal().inputIsConsole = typed;
  env.memoryFiles().readChunk = fileChunk;
  Outcome outcome;
  outcome.status = runSurvey(env);
  outcome.output = std::move(env.fakeOutput().text);
  outcome.errors = std::move(env.fakeErrors().text);
  outcome.recordFile = env.recordFile();
  outcome.filesBeside = env.memoryFiles().files.size() - (env.recordFileExists() ? 1 : 0);
  outcome.keyWaits = env.fakeTerminal().keyWaits;
  return outcome;
}

struct Prediction {
  std::vector<SurveyAnswers> records;
  int passes = 0;  // passes that ended with the run-count banner
  bool listingFailed = false;
  bool questionnaireCut = false;
};

using A = SurveyAnswers;
// The answers in the order they are asked: five words, two real numbers, sixteen words.
std::string A::*const kLeadingWords[] = {&A::firstName, &A::surname, &A::placeOfBirth,
                                         &A::dateOfBirth, &A::ageNowText};
double A::*const kReals[] = {&A::sameAge, &A::anotherYearAge};
std::string A::*const kTrailingWords[] = {
    &A::learningCenter,      &A::centerStreet,       &A::coordinatorName, &A::nearbyBusiness,
    &A::productivityCompany, &A::maintenanceCompany, &A::zonalLibrary,    &A::libraryFee,
    &A::shoppingCenter,      &A::nearestSchool,      &A::entryDate,       &A::entryTime,
    &A::stateOrCity,         &A::touristPlace,       &A::tribalLanguage,  &A::country};

// One questionnaire into fresh answers; false when the input ends before the last answer.
bool modelQuestionnaire(ReferenceReader& reader, SurveyAnswers* answers) {
  bool cut = false;
  for (auto field : kLeadingWords) {
    if (reader.word(&(answers->*field), &cut) == ReadResult::kEnd) return false;
  }
  for (auto field : kReals) {
    if (reader.real(&(answers->*field)) == ReadResult::kEnd) return false;
  }
  for (auto field : kTrailingWords) {
    if (reader.word(&(answers->*field), &cut) == ReadResult::kEnd) return false;
  }
  return true;
}

Prediction predict(std::string_view keys) {
  Prediction prediction;
  ReferenceReader reader(keys);
  for (;;) {
    int number = 0;
    int option = 0;
    if (reader.wholeNumber(&number) == ReadResult::kEnd || number == -1) break;
    if (reader.wholeNumber(&option) == ReadResult::kEnd) break;
    // Option 4 asks for the action: 1 the questionnaire, 2 the listing, as options 1 and 2.
    int action = option;
    if (option == 4 && reader.wholeNumber(&action) == ReadResult::kEnd) break;
    if (action == 1) {
      SurveyAnswers answers;
      if (!modelQuestionnaire(reader, &answers)) {
        prediction.questionnaireCut = true;
        break;
      }
      prediction.records.push_back(answers);
    }
    if (action == 2 && prediction.records.empty()) {
      prediction.listingFailed = true;  // no record file yet
      break;
    }
    ++prediction.passes;
  }
  return prediction;
}

// Whether `text` is well-formed UTF-8 with no control character of the U+0080 block.
bool isUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t length = lead < 0x80 ? 1 : lead < 0xc2 ? 0 : lead < 0xe0 ? 2 : lead < 0xf0 ? 3 : 4;
    if (lead > 0xf4 || length == 0 || i + length > text.size()) return false;
    // Decode and check the shortest form and the range.
    uint32_t code = length == 1 ? lead : lead & (0x7f >> length);
    for (size_t k = 1; k < length; ++k) {
      unsigned char next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xc0) != 0x80) return false;
      code = code << 6 | (next & 0x3f);
    }
    const uint32_t least[] = {0, 0, 0xa0, 0x800, 0x10000};
    if (code < least[length] || code > 0x10ffff || (code >= 0xd800 && code < 0xe000)) return false;
    i += length;
  }
  return true;
}

size_t countOf(std::string_view text, std::string_view piece) {
  size_t count = 0;
  for (size_t at = text.find(piece); at != std::string_view::npos; at = text.find(piece, at + 1)) {
    ++count;
  }
  return count;
}

bool endsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// Notices: whole lines of UTF-8 text without control characters, each naming the program.
void checkNotices(const std::string& errors) {
  size_t lineStart = 0;
  for (size_t i = 0; i < errors.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(errors[i]);
    if (c == '\n') {
      FUZZ_CHECK(errors.compare(lineStart, 8, "survey: ") == 0, errors);
      lineStart = i + 1;
    } else {
      FUZZ_CHECK(c >= 0x20 && c != 0x7f, "a control byte in a notice");
    }
  }
  FUZZ_CHECK(isUtf8(errors), "a notice that is not UTF-8");
  FUZZ_CHECK(lineStart == errors.size(), "notices end with a line end");
}

void checkAgainstPrediction(const Outcome& outcome, const Prediction& prediction) {
  FUZZ_CHECK(outcome.status == (prediction.listingFailed || prediction.questionnaireCut ? 1 : 0),
             "exit status " + std::to_string(outcome.status));

  // The record file: exactly the predicted records, whole, in order.
  testing::FakeClock clock(FakeEnv::defaultTime());
  const StartClock start = takeStartClock(clock);
  std::string expectedFile;
  for (const SurveyAnswers& answers : prediction.records)
    expectedFile += buildRecord(answerLookup(answers), start);
  FUZZ_CHECK(outcome.recordFile == expectedFile,
             std::to_string(prediction.records.size()) + " records predicted");
  FUZZ_CHECK(countOf(outcome.recordFile, "\n") == 35 * prediction.records.size(),
             "records of 35 lines");
  FUZZ_CHECK(outcome.filesBeside == 0, "a file left beside the record file");

  // Every pass that went on ends with the banner; a line of the listing or the summary always
  // starts with its own label, so this line cannot come from an answer.
  FUZZ_CHECK(countOf(outcome.output, "\n, Program is in execution mode ") ==
                 static_cast<size_t>(prediction.passes),
             std::to_string(prediction.passes) + " passes predicted");
  if (prediction.listingFailed) {
    FUZZ_CHECK(endsWith(outcome.output, "Cannot open file."), "the failed listing ends the run");
    FUZZ_CHECK(outcome.keyWaits == 0, "no key wait after the failed listing");
  } else {
    FUZZ_CHECK(endsWith(outcome.output, "\nPress any key to continue..."), "the exit block");
    FUZZ_CHECK(outcome.keyWaits == 1, "one key wait");
  }
  if (prediction.questionnaireCut) {
    FUZZ_CHECK(outcome.errors.find("nothing was saved") != std::string::npos,
               "a notice for the unsaved questionnaire");
  }
  checkNotices(outcome.errors);
}

}  // namespace
}  // namespace survey::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace survey::fuzzing;
  std::string_view keys(reinterpret_cast<const char*>(data), size);
  const Outcome whole = runSession(keys, size_t{1} << 20, size_t{1} << 20);
  checkAgainstPrediction(whole, predict(keys));

  // The same keys in small reads, the record file in small pieces: the same everything.
  const size_t chunk = size == 0 ? 1 : 1 + data[0] % 13;
  const Outcome pieces = runSession(keys, chunk, 1 + chunk % 5);
  FUZZ_CHECK(pieces.status == whole.status, "status differs with the read size");
  FUZZ_CHECK(pieces.output == whole.output, "transcript differs with the read size");
  FUZZ_CHECK(pieces.errors == whole.errors, "notices differ with the read size");
  FUZZ_CHECK(pieces.recordFile == whole.recordFile, "record file differs with the read size");

  // Typed at a terminal: more notices, and nothing else changes.
  const Outcome typed = runSession(keys, chunk, 1 + chunk % 5, true);
  FUZZ_CHECK(typed.status == whole.status, "status differs when typed");
  FUZZ_CHECK(typed.output == whole.output, "transcript differs when typed");
  FUZZ_CHECK(typed.recordFile == whole.recordFile, "record file differs when typed");
  checkNotices(typed.errors);
  return 0;
}
