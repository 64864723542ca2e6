// What survey says about itself for --help and --version.
#pragma once

#include "console/program_info.h"

namespace survey {

extern const ProgramInfo kSurveyProgram;

}  // namespace survey
