// Records written by the program's own record writer, for reading back.
#pragma once

#include <string>

#include "console/start_clock.h"
#include "platform/line_ends.h"
#include "questionnaire/survey_answers.h"
#include "records/record_writer.h"
#include "support/fakes.h"

namespace survey::testing {

// Answers as a person might type them: commas, double quotes, a backslash, an escape byte,
// UTF-8 of two, three and four bytes.
inline SurveyAnswers trickyAnswers() {
  SurveyAnswers answers;
  answers.firstName = "Zoë";
  answers.surname = "O\"Brien,Jr";
  answers.placeOfBirth = "Lagos,Nigeria";
  answers.dateOfBirth = "1990-01-02";
  answers.ageNowText = "36";
  answers.sameAge = 30;
  answers.anotherYearAge = 5;
  answers.learningCenter = "\"Centre\"";
  answers.centerStreet = "Rue-de-l'Église";
  answers.coordinatorName = "Back\\slash";
  answers.nearbyBusiness = "日本語";
  answers.productivityCompany = "a,b,c";
  answers.maintenanceCompany = "\xF0\x9F\x98\x80";  // U+1F600
  answers.zonalLibrary = "Library";
  answers.libraryFee = "1,000";
  answers.shoppingCenter = "Mall";
  answers.nearestSchool = "School";
  answers.entryDate = "08/12/2026";
  answers.entryTime = "09:00";
  answers.stateOrCity = "Enugu";
  answers.touristPlace = "Obudu";
  answers.tribalLanguage = "Esc\x1b[1m";
  answers.country = "Nigeria";
  return answers;
}

// The start clock of a program run at `time` (by default 21:05 on 7 December 2026).
inline StartClock startedAt(LocalTime time = FakeEnv::defaultTime()) {
  FakeClock clock(time);
  return takeStartClock(clock);
}

inline std::string recordOf(const SurveyAnswers& answers, LocalTime time = FakeEnv::defaultTime()) {
  return buildRecord(answerLookup(answers), startedAt(time));
}

// The tricky answers under another first name, and the record they make.
inline SurveyAnswers answersOf(const std::string& name) {
  SurveyAnswers answers = trickyAnswers();
  answers.firstName = name;
  return answers;
}
inline std::string recordNamed(const std::string& name) { return recordOf(answersOf(name)); }

}  // namespace survey::testing
