// Naming the answers and figures for the screens and the record.
#include "questionnaire/survey_answers.h"

#include "console/number_format.h"

namespace survey {
namespace {

struct Figure {
  std::string_view name;
  double (*compute)(double s, double a);
};

const Figure kFigures[] = {
    {"S", [](double s, double) { return s; }},
    {"A", [](double, double a) { return a; }},
    {"S+A", [](double s, double a) { return s + a; }},
    {"A*A", [](double, double a) { return a * a; }},
    {"A+A", [](double, double a) { return a + a; }},
    {"S/2", [](double s, double) { return s / 2; }},
    {"S/3", [](double s, double) { return s / 3; }},
    {"S/4", [](double s, double) { return s / 4; }},
    {"S/5", [](double s, double) { return s / 5; }},
    {"A/2", [](double, double a) { return a / 2; }},
    {"A/3", [](double, double a) { return a / 3; }},
    {"A/4", [](double, double a) { return a / 4; }},
    {"A/5", [](double, double a) { return a / 5; }},
};

}  // namespace

std::string_view textAnswerName(std::string SurveyAnswers::*field) {
  for (const TextAnswer& text : kTextAnswers) {
    if (text.field == field) return text.name;
  }
  return {};
}

FieldLookup answerLookup(const SurveyAnswers& answers) {
  return [&answers](std::string_view name, std::string* text) {
    for (const TextAnswer& field : kTextAnswers) {
      if (field.name == name) {
        text->assign(answers.*field.field);
        return true;
      }
    }
    for (const Figure& figure : kFigures) {
      if (figure.name == name) {
        text->assign(formatReal(figure.compute(answers.sameAge, answers.anotherYearAge)));
        return true;
      }
    }
    return false;
  };
}

}  // namespace survey
