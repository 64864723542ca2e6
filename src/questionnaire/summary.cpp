// The summary screen: a table of lines with the answers and figures as fields.
#include "questionnaire/summary.h"

#include "console/characters.h"
#include "console/texts.h"

namespace survey {
namespace {

// S is the same age, A the age for another year; "{S/3}" is S divided by 3, and so on.
const char* const kSummaryLines[] = {
    " ",
    " ---->  Inputed(Received) Data(s)",
    "{RuleDashWide}",
    "  --> Candidate(Bearer) Is Full Name :: {firstName} {surname}",
    "  --> Candidate(Bearer) Is Place Of Birth :: {placeOfBirth} , Age Is :: {ageNowText}",
    "  --> Candidate(Bearer) Is Educational(Learning Center) :: {learningCenter}",
    "  --> The Street Name For This Center Is :: {centerStreet}",
    "  --> The Co-ordinator(Propsector) Is Name For This Location(Center) Is :: {coordinatorName}",
    "  --> One Near By(Related) Business(Production) In This Region(Place) Is :: {nearbyBusiness}",
    "  --> The Near By(Related) Productivity Company(Business) In The Same Region(Place)  :: "
    "{productivityCompany}",
    "  --> One Maintenance(Development) Company(Business) In This Zone(Region) Is  :: "
    "{maintenanceCompany}",
    "  --> Your Age In {S} Year(s) Time Will Be {S+A}.  Thank You Very Much ",
    " --> The Zonal(Regional) Library(Recreational Center) For The Environment(Location) Is. :: "
    "{zonalLibrary}",
    " --> The Provided Regional Library(Recreational Center) Fee For This Environment(Location) Is "
    ".   :: N {libraryFee}",
    " --> The Nearest Shopping Center(Plaza) In This Location(Environment) Is :: {shoppingCenter}",
    " --> The Name Of The Nearest School(Educational Compound) In This Location(Environment) Is.   "
    ":: {nearestSchool}",
    "  --> The Name Of My State(State And City) Is :: {stateOrCity}",
    "  --> A Near By Tourist(Visitable) Region(Place) Is :: {touristPlace}",
    "  --> A Common Tribal Language In Your Region(Environment, Community, Place) Is :: "
    "{tribalLanguage}",
    "  --> The Name Of My Current(Residing) Country Is :: {country}",
    "{RuleDashWide}",
    " The Multiple Of The(This) Number Is :: {A} x {A} = {A*A}",
    " The Addition Of The(This) Number Is :: {A} + {A} = {A+A}",
    "{RuleDots}",
    " The(This) Number Divided By 2 :: {S}  / 2 = {S/2} , Nearest Number(s). Thank You Very Much ",
    " The(This) Number Divided By 2 :: {A}  / 2 = {A/2} , Nearest Number(s). Thank You Very Much ",
    "{RuleDots}",
    " The(This) Number Divided By 3 :: {S}  / 3 = {S/3} , Nearest Number(s). Thank You Very Much ",
    " The(This) Number Divided By 3 :: {A}  / 3 = {A/3} , Nearest Number(s). Thank You Very Much ",
    "{RuleDots}",
    " The(This) Number Divided By 4 :: {S}  / 4 = {S/4} , Nearest Number(s). Thank You Very Much ",
    " The(This) Number Divided By 4 :: {A}  / 4 = {A/4} , Nearest Number(s). Thank You Very Much ",
    "{RuleDots}",
    " The(This) Number Divided By 5 :: {S}  / 5 = {S/5} , Nearest Number(s). Thank You Very Much ",
    " The(This) Number Divided By 5 :: {A}  / 5 = {A/5} , Nearest Number(s). Thank You Very Much ",
    "{RuleDots}",
    "{RuleDashWide}",
};

}  // namespace

void showSummary(ConsoleStream& stream, const SurveyAnswers& answers) {
  // Answers are shown with their control characters in caret notation, as the listing shows
  // them, so that typed escape sequences cannot drive the terminal.
  FieldLookup shownAnswers = [typed = answerLookup(answers)](std::string_view name,
                                                             std::string* text) {
    std::string answer;
    if (!typed(name, &answer)) return false;
    appendCaretNotation(answer, text);
    return true;
  };
  FieldLookup fields = chainLookups({shownAnswers, lookupRule});
  std::string text;
  for (const char* line : kSummaryLines) {
    text.clear();
    renderLine(line, fields, &text);
    stream.line(text);
  }
}

}  // namespace survey
