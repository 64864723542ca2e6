// The summary of a questionnaire's answers, with the figures derived from its real answers.
#pragma once

#include "console/console_stream.h"
#include "questionnaire/survey_answers.h"

namespace survey {

void showSummary(ConsoleStream& stream, const SurveyAnswers& answers);

}  // namespace survey
