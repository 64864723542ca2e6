// survey-export's options, as its command line sets them, and what its parts share.
#pragma once

#include <string>

#include "export/stats_file.h"

namespace survey {

// The program's name, at the start of each line it writes to standard error.
constexpr const char* kExportName = "survey-export";

// What the command line asks for.
struct ExportOptions {
  bool csv = true;
  bool sqlite = false;
  bool stats = false;  // Stata or SPSS, as statsFormat says
  StatsFormat statsFormat = StatsFormat::kStata;
  bool unique = false;
  bool safeCells = false;
  bool codebook = false;
  bool check = false;  // findings of the data-quality rules in place of the rows
  bool bom = false;    // CSV after a UTF-8 byte-order mark, by which Excel tells UTF-8
  std::string encoding;
  std::string output;  // empty: standard output
  std::string faults;  // the fault list's path, if one is asked for
};

}  // namespace survey
