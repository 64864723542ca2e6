// Realistic questionnaire answers for benchmark data.
#include "answer_maker.h"

namespace survey {
namespace {

const std::vector<std::string> kFirstNames = {"Ada",    "Grace",   "Alan", "Edsger",   "Barbara",
                                              "Donald", "Frances", "Ken",  "Margaret", "Niklaus"};
const std::vector<std::string> kSurnames = {"Okafor", "Mensah", "Adeyemi", "Nwosu", "Bello",
                                            "Eze",    "Okoro",  "Afolabi", "Uche",  "Danjuma"};
const std::vector<std::string> kPlaces = {"Lagos", "Abuja",  "Enugu", "Kano",    "Ibadan",
                                          "Jos",   "Owerri", "Benin", "Calabar", "Ilorin"};
const std::vector<std::string> kWords = {"Community", "Learning", "Centre", "Market", "Street",
                                         "North",     "Valley",   "River",  "Green",  "Works",
                                         "Public",    "Library",  "Plaza",  "School", "Hills"};

std::string two(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

}  // namespace

SurveyAnswers AnswerMaker::next() {
  SurveyAnswers a;
  a.firstName = pick(kFirstNames);
  a.surname = pick(kSurnames);
  a.placeOfBirth = pick(kPlaces);
  int age = between(16, 80);
  a.dateOfBirth = std::to_string(between(1, 28)) + "-" + std::to_string(between(1, 12)) + "-" +
                  std::to_string(2026 - age);
  a.ageNowText = std::to_string(age);
  a.sameAge = age;
  a.anotherYearAge = between(1, 50) + between(0, 9) / 10.0;
  a.learningCenter = dashed(3);
  a.centerStreet = dashed(2);
  a.coordinatorName = pick(kFirstNames) + "-" + pick(kSurnames);
  a.nearbyBusiness = dashed(2);
  a.productivityCompany = dashed(2);
  a.maintenanceCompany = dashed(2);
  a.zonalLibrary = dashed(2);
  a.libraryFee = std::to_string(between(0, 5000));
  a.shoppingCenter = dashed(2);
  a.nearestSchool = dashed(3);
  a.entryDate = "2026-" + two(between(1, 12)) + "-" + two(between(1, 28));
  a.entryTime = two(between(0, 23)) + ":" + two(between(0, 59));
  a.stateOrCity = pick(kPlaces);
  a.touristPlace = dashed(2);
  a.tribalLanguage = pick({"Yoruba", "Igbo", "Hausa", "Efik", "Tiv", "Ijaw"});
  a.country = "Nigeria";
  return a;
}

const std::string& AnswerMaker::pick(const std::vector<std::string>& from) {
  return from[static_cast<size_t>(between(0, static_cast<int>(from.size()) - 1))];
}

std::string AnswerMaker::dashed(int words) {
  std::string text = pick(kWords);
  for (int i = 1; i < words; ++i) text += "-" + pick(kWords);
  return text;
}

}  // namespace survey
