// The codebook: what each exported column holds and where it comes from.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace survey {

// What one export column holds: the prompt numbers and texts that ask it, the record lines
// it is read from, its type and a note (empty where there is none to add).
struct CodebookRow {
  std::string column, prompt, promptText, recordLines, type, note;
};

// One row per export column, in the export's order.
std::vector<CodebookRow> codebookRows();

// The rows as CSV (with a header row) or JSON Lines: column, prompt (number), promptText,
// recordLines, type, note. `safeCells`: as for rows.
std::string codebook(bool csv, bool safeCells);

// A column's label for statistics files: the text of the prompt that asks it (both, for a sum),
// or what the column holds where no prompt does.
std::string columnLabel(size_t column);

}  // namespace survey
