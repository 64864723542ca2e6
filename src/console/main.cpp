// The survey program: wires the real platform to the run.
#include "console/run_driver.h"
#include "platform/env.h"

int main() {
  std::unique_ptr<survey::Env> env = survey::makeSystemEnv();
  return survey::runSurvey(*env);
}
