// The survey program: wires the real platform to the run.
#include <string>
#include <string_view>
#include <vector>

#include "app/run_driver.h"
#include "app/survey_program.h"
#include "platform/env.h"

int main(int argc, char** argv) {
  std::unique_ptr<survey::Env> env = survey::makeSystemEnv();
  const std::vector<std::string> args = survey::commandLineArguments(argc, argv);
  int status = 0;
  if (survey::answerInformationOption({args.begin(), args.end()}, survey::kSurveyProgram,
                                      env->output(), env->errors(), &status)) {
    return status;
  }
  return survey::runSurvey(*env);
}
