// The --help and --version texts, in the usual GNU form.
#include "console/command_line.h"

#include <string>

namespace survey {
namespace {

constexpr const char* kHelp =
    "Usage: survey [OPTION]...\n"
    "Ask the community and environment questionnaire at the console and append each\n"
    "completed questionnaire as a record to datas.dat in the working directory.\n"
    "\n"
    "The program is driven by its own prompts and menu: type a number to continue or -1\n"
    "to leave, then an option from 1 to 5. Answers may be piped in on standard input.\n"
    "\n"
    "      --help     display this help and exit\n"
    "      --version  output version information and exit\n"
    "\n"
    "Other arguments are ignored.\n"
    "\n"
    "Exit status:\n"
    " 0  if the run ended normally,\n"
    " 1  if a record could not be saved, the input ended in the middle of a questionnaire,\n"
    "    standard output could not be written, or datas.dat could not be listed.\n"
    "\n"
    "Full documentation: man survey\n";

std::string versionText() {
  return "survey " + std::string(programVersion()) +
         "\n"
         "Copyright (C) 2026 The survey developers.\n"
         "License MIT: <https://opensource.org/licenses/MIT>.\n"
         "This is free software: you are free to change and redistribute it.\n"
         "There is NO WARRANTY, to the extent permitted by law.\n";
}

}  // namespace

std::string_view programVersion() { return SURVEY_VERSION; }

bool answerInformationOption(const std::vector<std::string_view>& args, ConsoleOutput& output,
                             ConsoleOutput& errors, int* status) {
  std::string text;
  for (std::string_view arg : args) {
    if (arg == "--") break;  // what follows is not an option
    if (arg == "--help") {
      text = kHelp;
      break;
    }
    if (arg == "--version") {
      text = versionText();
      break;
    }
  }
  if (text.empty()) return false;
  Status written = output.write(text);
  *status = 0;
  if (!written.ok()) {
    errors.write("survey: cannot write to standard output: " + written.reason() + "\n");
    *status = 1;
  }
  return true;
}

}  // namespace survey
