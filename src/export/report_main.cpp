// survey-report: wires the real platform and the command line to the report.
#include <string>
#include <vector>

#include "export/reporter.h"
#include "platform/env.h"

int main(int argc, char** argv) {
  std::unique_ptr<survey::Env> env = survey::makeSystemEnv();
  return survey::runReport(*env, survey::commandLineArguments(argc, argv));
}
