// The records of survey-export's files written as rows, into a database or a statistics file.
#pragma once

#include <string>
#include <vector>

#include "export/export_options.h"
#include "export/fault_list.h"
#include "platform/code_page.h"
#include "platform/env.h"

namespace survey {

// Reads each of `paths` in turn ("-" is standard input), answers that are not UTF-8 in
// `codePage` unless it is null, and writes their records as `options` say: to standard output,
// the file of --output or its database; faults also to `faults` unless it is null. Reports go to
// standard error. Returns the exit status: 0, 1 if anything was skipped or --check found
// anything, 2 if a file could not be read or output failed.
int exportRows(Env& env, const ExportOptions& options, const std::vector<std::string>& paths,
               CodePage* codePage, FaultList* faults);

}  // namespace survey
