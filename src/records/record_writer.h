// The record of one questionnaire, as appended to the record file.
#pragma once

#include <string>

#include "console/start_clock.h"
#include "console/template.h"

namespace survey {

// The 35 lines of the record, each ended by '\n', with the answers and figures that
// `answers` names.
std::string buildRecord(const FieldLookup& answers, const StartClock& clock);

}  // namespace survey
