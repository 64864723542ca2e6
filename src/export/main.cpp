// survey-export: wires the real platform and the command line to the export.
#include <string>
#include <vector>

#include "console/program_info.h"
#include "export/exporter.h"
#include "platform/env.h"

int main(int argc, char** argv) {
  std::unique_ptr<survey::Env> env = survey::makeSystemEnv();
  const std::vector<std::string> args = survey::commandLineArguments(argc, argv);
  return survey::runExport(*env, args, survey::programVersion());
}
