// The survey program: wires the real platform to the run.
#include <string_view>
#include <vector>

#include "app/run_driver.h"
#include "app/survey_program.h"
#include "platform/env.h"

int main(int argc, char** argv) {
  std::unique_ptr<survey::Env> env = survey::makeSystemEnv();
  const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  int status = 0;
  if (survey::answerInformationOption(args, survey::kSurveyProgram, env->output(), env->errors(),
                                      &status)) {
    return status;
  }
  return survey::runSurvey(*env);
}
