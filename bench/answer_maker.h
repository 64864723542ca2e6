// Realistic questionnaire answers for benchmark data: names, places and dashed words drawn
// from small lists, ages and dates in range, the same sequence for the same seed.
#pragma once

#include <random>
#include <string>
#include <vector>

#include "questionnaire/survey_answers.h"

namespace survey {

class AnswerMaker {
 public:
  explicit AnswerMaker(unsigned seed) : random_(seed) {}
  SurveyAnswers next();

 private:
  int between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  const std::string& pick(const std::vector<std::string>& from);
  std::string dashed(int words);

  std::mt19937 random_;
};

}  // namespace survey
