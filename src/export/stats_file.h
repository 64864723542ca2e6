// Stata (.dta) and SPSS (.sav) files of the records: typed columns, the prompts as labels.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/env.h"
#include "reader/record_row.h"

namespace survey {

enum class StatsFormat { kStata, kSpss };

// The records of a run, held until all are read: a statistics file gives its row count and
// every text column's width before its first row.
class StatsTable {
 public:
  // Whether this build can write statistics files.
  static bool available();
  void add(const RecordRow& row);
  // Writes the file to `out`: line, the figures and ageNow (the answer where it is a whole
  // number, else missing) as numbers, the rest as text as wide as its longest value.
  Status write(StatsFormat format, ConsoleOutput& out) const;

 private:
  std::vector<std::string> cells_;  // kColumnCount a row
  size_t widths_[kColumnCount] = {};
};

}  // namespace survey
