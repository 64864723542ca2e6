// survey's --help text: the questionnaire runs for any other argument.
#include "app/survey_program.h"

namespace survey {

const ProgramInfo kSurveyProgram = {
    "survey",
    "Usage: survey [OPTION]...\n"
    "Ask the community and environment questionnaire at the console and append each\n"
    "completed questionnaire as a record to datas.dat in the working directory.\n"
    "\n"
    "The program is driven by its own prompts and menu: type a number to continue or\n"
    "-1 to leave, then an option from 1 to 5. Answers may be piped in on standard\n"
    "input. At the end it waits for one key at the terminal; without a terminal\n"
    "(setsid -w survey) it ends at once.\n"
    "\n"
    "      --help     display this help and exit\n"
    "      --version  output version information and exit\n"
    "\n"
    "Other arguments are ignored.\n"
    "\n"
    "Exit status:\n"
    " 0  if the run ended normally,\n"
    " 1  if a record could not be saved, the input ended in the middle of a\n"
    "    questionnaire, standard output could not be written, or datas.dat could not\n"
    "    be listed.\n"
    "\n"
    "Full documentation: man survey\n",
    /*failureStatus=*/1,
};

}  // namespace survey
