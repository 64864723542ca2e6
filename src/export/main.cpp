// survey-export: wires the real platform and the command line to the export.
#include <string>
#include <vector>

#include "export/exporter.h"
#include "platform/env.h"

int main(int argc, char** argv) {
  std::unique_ptr<survey::Env> env = survey::makeSystemEnv();
  return survey::runExport(*env, survey::commandLineArguments(argc, argv));
}
