// survey-report: one page of counts, frequencies, ages and findings over record files.
#pragma once

#include <string>
#include <vector>

#include "platform/env.h"

namespace survey {

// Runs the tool with its command-line arguments (without the program name) and returns the
// exit status: 0 when every record was read (or --help or --version answered), 1 when some
// lines were skipped, 2 when a file could not be read, standard output could not be written or
// the arguments were wrong.
int runReport(Env& env, const std::vector<std::string>& args);

}  // namespace survey
