// The record of one questionnaire, as appended to the record file.
#pragma once

#include <string>

#include "console/start_clock.h"
#include "platform/env.h"
#include "questionnaire/survey_answers.h"
#include "records/record_file.h"

namespace survey {

// The 35 lines of the record, each ended by '\n'.
std::string buildRecord(const SurveyAnswers& answers, const StartClock& clock);

// Appends the record to the record file in one durable write; fails with the system's reason.
Status appendRecord(FileSystem& files, const SurveyAnswers& answers, const StartClock& clock);

}  // namespace survey
