// The record of one questionnaire, as appended to the record file.
#pragma once

#include <string>
#include <string_view>

#include "console/start_clock.h"
#include "console/template.h"

namespace survey {

// The 35 lines of the record, each ended by '\n', with the answers and figures that
// `answers` names.
std::string buildRecord(const FieldLookup& answers, const StartClock& clock);

// Whether `text` is one whole record: the record's lines, each with the fixed text around its
// fields and ended by '\n' or "\r\n", and nothing more.
bool isWholeRecord(std::string_view text);

}  // namespace survey
