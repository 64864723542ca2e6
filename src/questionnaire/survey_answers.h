// The answers of one questionnaire, and the figures derived from its two real answers.
#pragma once

#include <string>
#include <string_view>

#include "console/template.h"

namespace survey {

struct SurveyAnswers {
  std::string firstName;
  std::string surname;
  std::string placeOfBirth;
  std::string dateOfBirth;
  std::string ageNowText;
  double sameAge = 0;         // S
  double anotherYearAge = 0;  // A
  std::string learningCenter;
  std::string centerStreet;
  std::string coordinatorName;
  std::string nearbyBusiness;
  std::string productivityCompany;
  std::string maintenanceCompany;
  std::string zonalLibrary;
  std::string libraryFee;
  std::string shoppingCenter;
  std::string nearestSchool;
  std::string entryDate;
  std::string entryTime;
  std::string stateOrCity;
  std::string touristPlace;
  std::string tribalLanguage;
  std::string country;
};

// A text answer: its field, and its name for answerLookup, which also names its column in the
// export.
struct TextAnswer {
  std::string_view name;
  std::string SurveyAnswers::*field;
};

// Every text answer.
inline constexpr TextAnswer kTextAnswers[] = {
    {"firstName", &SurveyAnswers::firstName},
    {"surname", &SurveyAnswers::surname},
    {"placeOfBirth", &SurveyAnswers::placeOfBirth},
    {"dateOfBirth", &SurveyAnswers::dateOfBirth},
    {"ageNowText", &SurveyAnswers::ageNowText},
    {"learningCenter", &SurveyAnswers::learningCenter},
    {"centerStreet", &SurveyAnswers::centerStreet},
    {"coordinatorName", &SurveyAnswers::coordinatorName},
    {"nearbyBusiness", &SurveyAnswers::nearbyBusiness},
    {"productivityCompany", &SurveyAnswers::productivityCompany},
    {"maintenanceCompany", &SurveyAnswers::maintenanceCompany},
    {"zonalLibrary", &SurveyAnswers::zonalLibrary},
    {"libraryFee", &SurveyAnswers::libraryFee},
    {"shoppingCenter", &SurveyAnswers::shoppingCenter},
    {"nearestSchool", &SurveyAnswers::nearestSchool},
    {"entryDate", &SurveyAnswers::entryDate},
    {"entryTime", &SurveyAnswers::entryTime},
    {"stateOrCity", &SurveyAnswers::stateOrCity},
    {"touristPlace", &SurveyAnswers::touristPlace},
    {"tribalLanguage", &SurveyAnswers::tribalLanguage},
    {"country", &SurveyAnswers::country},
};

// Fields for line templates: every text answer by its field name, and the figures "S", "A",
// "S+A", "A*A", "A+A" and "S/2" to "S/5", "A/2" to "A/5", each as formatReal writes it.
FieldLookup answerLookup(const SurveyAnswers& answers);

// The answerLookup name of a text answer's field ("firstName" for &SurveyAnswers::firstName).
std::string_view textAnswerName(std::string SurveyAnswers::*field);

}  // namespace survey
