// The command line: --help and --version are answered; every other argument is ignored.
#pragma once

#include <string_view>
#include <vector>

#include "platform/env.h"

namespace survey {

// The version of this build, in the form "1.0.0".
std::string_view programVersion();

// When `args` (without the program name) ask for the help text or the version, writes it to
// `output`, sets `*status` (0, or 1 if the text could not be written, with a notice on
// `errors`) and returns true. Otherwise returns false: the questionnaire runs.
bool answerInformationOption(const std::vector<std::string_view>& args, ConsoleOutput& output,
                             ConsoleOutput& errors, int* status);

}  // namespace survey
