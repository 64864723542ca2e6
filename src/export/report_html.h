// survey-report's page as one self-contained HTML file: inline SVG charts, each beside a plain
// table of the same numbers, with no network access and no other file.
#pragma once

#include <string>

#include "export/report_tally.h"

namespace survey {

// Every table carries data-column (what its rows count), every row data-value, data-count and
// data-kind ("value", or a total such as "missing-like"), so other programs read the numbers
// exactly; every chart is an <svg> of the table's value rows.
std::string reportHtml(const ReportTally& tally);

}  // namespace survey
