// The record of one questionnaire, as appended to the record file.
#pragma once

#include <string>
#include <string_view>

#include "console/start_clock.h"
#include "console/template.h"
#include "platform/env.h"

namespace survey {

// The 35 lines of the record, each ended by '\n', with the answers and figures that
// `answers` names.
std::string buildRecord(const FieldLookup& answers, const StartClock& clock);

// Appends the record to the record file in one durable write; fails with the system's reason.
Status appendRecord(FileSystem& files, std::string_view record);

}  // namespace survey
