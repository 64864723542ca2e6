// The --help and --version options, answered alike by both programs.
#pragma once

#include <string_view>
#include <vector>

#include "platform/env.h"

namespace survey {

// What one program says about itself.
struct ProgramInfo {
  std::string_view name;  // "survey", "survey-export"
  std::string_view help;  // the --help text
  int failureStatus;      // the exit status when the text cannot be written
};

// The version of this build, in the form "1.0.0".
std::string_view programVersion();

// When `args` (without the program name, before any "--") ask for the help text or the
// version, writes it to `output`, sets `*status` (0, or the program's failure status with a
// notice on `errors` when the text cannot be written) and returns true; else returns false.
bool answerInformationOption(const std::vector<std::string_view>& args, const ProgramInfo& info,
                             ConsoleOutput& output, ConsoleOutput& errors, int* status);

}  // namespace survey
