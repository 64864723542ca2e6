// The run: start block, the main loop with its menu, and the exit block.
#pragma once

#include "platform/env.h"

namespace survey {

// Runs the whole program against `env` and returns its exit status: 0 after a normal end;
// 1 when a record could not be saved, a questionnaire was cut short by the end of input,
// standard output failed, or the listing could not open the record file.
int runSurvey(Env& env);

}  // namespace survey
