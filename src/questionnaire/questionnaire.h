// The 23 questions and the reading of their answers.
#pragma once

#include <string_view>
#include <vector>

#include "console/prompt.h"
#include "questionnaire/survey_answers.h"

namespace survey {

// Asks the questions in order and stores each answer into `answers`. A real answer that is
// not a number stores 0, an overlong word is cut, each with a notice, and notices name what
// an answer leaves for the next prompts (see readWordAnswer). Returns false when the
// input ends: no further question is asked and `answers` must not be stored.
bool askQuestionnaire(Console& console, SurveyAnswers& answers);

// What the check before saving ended with.
enum class Review { kSave, kDiscard, kInputEnded };

// At a terminal, after the last answer: lists the answers numbered with their questions and
// reads a choice, until Enter saves or "q" discards; a number asks that question again. With
// piped input there is nothing to check: kSave. kInputEnded when the input ends meanwhile.
Review reviewAnswers(Console& console, SurveyAnswers& answers);

// Each prompt in the order asked: the answer it reads, by its answerLookup name ("S" and "A" for
// the two real answers), and the prompt's line as shown.
struct PromptText {
  std::string_view answer;
  std::string_view prompt;
};
std::vector<PromptText> promptTexts();

}  // namespace survey
