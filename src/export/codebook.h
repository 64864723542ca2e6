// The codebook: what each exported column holds and where it comes from.
#pragma once

#include <string>

namespace survey {

// One row per export column, in the export's order, as CSV (with a header row) or JSON Lines:
// column, prompt (number), promptText, recordLines, type, note. `safeCells`: as for rows.
std::string codebook(bool csv, bool safeCells);

}  // namespace survey
