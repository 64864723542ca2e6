// The --help and --version answers, in the usual GNU form.
#include "console/program_info.h"

#include <string>

#include "version.h"

namespace survey {
namespace {

constexpr std::string_view kPackage = "survey";

// "survey 1.0.0", or "survey-export (survey) 1.0.0" for the package's other program.
std::string versionText(std::string_view name) {
  std::string text(name);
  if (name != kPackage) text += " (" + std::string(kPackage) + ")";
  return text + " " + std::string(programVersion()) +
         "\n"
         "Copyright (C) 2026 The survey developers.\n"
         "License MIT: <https://opensource.org/licenses/MIT>.\n"
         "This is free software: you are free to change and redistribute it.\n"
         "There is NO WARRANTY, to the extent permitted by law.\n";
}

}  // namespace

std::string_view programVersion() { return kSurveyVersion; }

bool answerInformationOption(const std::vector<std::string_view>& args, const ProgramInfo& info,
                             ConsoleOutput& output, ConsoleOutput& errors, int* status) {
  std::string text;
  for (std::string_view arg : args) {
    if (arg == "--") break;  // what follows is not an option
    if (arg == "--help") {
      text = info.help;
      break;
    }
    if (arg == "--version") {
      text = versionText(info.name);
      break;
    }
  }
  if (text.empty()) return false;
  Status written = output.write(text);
  *status = 0;
  if (!written.ok()) {
    errors.write(std::string(info.name) + ": cannot write to standard output: " + written.reason() +
                 "\n");
    *status = info.failureStatus;
  }
  return true;
}

}  // namespace survey
