// Makes benchmark data: a record file of realistic records, or the typed input of many
// questionnaires as a script would pipe it in.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "answer_maker.h"
#include "console/start_clock.h"
#include "questionnaire/survey_answers.h"
#include "records/record_writer.h"

namespace {

using survey::AnswerMaker;
using survey::SurveyAnswers;

std::string formatNumber(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

// The typed input of one pass that runs a questionnaire: a number, option 1, 23 answers.
std::string typedQuestionnaire(const SurveyAnswers& a, int pass) {
  std::string keys = std::to_string(pass) + "\n1\n";
  for (const std::string* word :
       {&a.firstName, &a.surname, &a.placeOfBirth, &a.dateOfBirth, &a.ageNowText}) {
    keys += *word + "\n";
  }
  keys += formatNumber(a.sameAge) + "\n" + formatNumber(a.anotherYearAge) + "\n";
  for (const std::string* word :
       {&a.learningCenter, &a.centerStreet, &a.coordinatorName, &a.nearbyBusiness,
        &a.productivityCompany, &a.maintenanceCompany, &a.zonalLibrary, &a.libraryFee,
        &a.shoppingCenter, &a.nearestSchool, &a.entryDate, &a.entryTime, &a.stateOrCity,
        &a.touristPlace, &a.tribalLanguage, &a.country}) {
    keys += *word + "\n";
  }
  return keys;
}

std::string withCarriageReturns(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') out.push_back('\r');
    out.push_back(c);
  }
  return out;
}

int usage() {
  std::fprintf(stderr,
               "usage: survey_make_data records MIB FILE [--crlf] [--whole]\n"
               "       survey_make_data answers COUNT FILE\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return usage();
  const std::string mode = argv[1];
  const long long amount = std::atoll(argv[2]);
  std::FILE* out = std::fopen(argv[3], "wb");
  if (out == nullptr || amount <= 0) return usage();
  AnswerMaker maker(20261207);
  std::string chunk;
  if (mode == "records") {
    bool crlf = false;
    bool whole = false;  // stop at the last whole record rather than cut one short
    for (int i = 4; i < argc; ++i) {
      crlf |= std::strcmp(argv[i], "--crlf") == 0;
      whole |= std::strcmp(argv[i], "--whole") == 0;
    }
    survey::LocalTime time{7, 11, 126, 21, 5};
    survey::StartClock clock{time, survey::formatTimeLine(time)};
    const long long target = amount << 20;
    long long written = 0;
    while (written < target) {
      chunk.clear();
      size_t wholeRecords = 0;  // the bytes of the chunk's whole records within the target
      while (chunk.size() < (1u << 20)) {
        std::string record = survey::buildRecord(survey::answerLookup(maker.next()), clock);
        chunk += crlf ? withCarriageReturns(record) : record;
        if (written + static_cast<long long>(chunk.size()) <= target) wholeRecords = chunk.size();
      }
      const bool last = written + static_cast<long long>(chunk.size()) >= target;
      if (last) {  // the last record cut short, or left out
        chunk.resize(whole ? wholeRecords : static_cast<size_t>(target - written));
      }
      std::fwrite(chunk.data(), 1, chunk.size(), out);
      written += static_cast<long long>(chunk.size());
      if (last) break;
    }
  } else if (mode == "answers") {
    for (long long i = 0; i < amount; ++i) {
      chunk += typedQuestionnaire(maker.next(), static_cast<int>(i % 1000));
      if (chunk.size() > (1u << 20)) {
        std::fwrite(chunk.data(), 1, chunk.size(), out);
        chunk.clear();
      }
    }
    chunk += "-1\n";
    std::fwrite(chunk.data(), 1, chunk.size(), out);
  } else {
    return usage();
  }
  return std::fclose(out) == 0 ? 0 : 1;
}
