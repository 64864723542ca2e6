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

// Fields for line templates: every text answer by its field name, and the figures "S", "A",
// "S+A", "A*A", "A+A" and "S/2" to "S/5", "A/2" to "A/5", each as formatReal writes it.
FieldLookup answerLookup(const SurveyAnswers& answers);

// The answerLookup name of a text answer's field ("firstName" for &SurveyAnswers::firstName).
std::string_view textAnswerName(std::string SurveyAnswers::*field);

}  // namespace survey
