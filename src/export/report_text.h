// survey-report's page as text for a terminal: the counts, with bars drawn in characters.
#pragma once

#include <string>

#include "export/report_tally.h"

namespace survey {

// Values show control characters in caret notation, so the page cannot drive a terminal.
std::string reportText(const ReportTally& tally);

}  // namespace survey
