// The question table and the loop that asks it.
#include "questionnaire/questionnaire.h"

#include <string>

namespace survey {
namespace {

struct Question {
  const char* prompt;
  std::string SurveyAnswers::*text;  // the answer's field: a text answer...
  double SurveyAnswers::*real;       // ...or a real one
  const char* leadIn;                // a line written before the prompt, with no read
};

using A = SurveyAnswers;

const Question kQuestions[] = {
    {" --> Enter Your Firstname :: ", &A::firstName, nullptr, nullptr},
    {" --> Enter Your Surname :: ", &A::surname, nullptr, nullptr},
    {" --> Enter Your Place Of Birth :: ", &A::placeOfBirth, nullptr, nullptr},
    {" --> Enter Your Date Of Birth :: ", &A::dateOfBirth, nullptr, nullptr},
    {" --> Enter Your Age Now :: ", &A::ageNowText, nullptr, nullptr},
    {" --> Enter The Same Age Again :: ", nullptr, &A::sameAge, nullptr},
    {" --> Enter A Calculated Age For Another Year :: ", nullptr, &A::anotherYearAge, nullptr},
    {" --> Enter Your Educational(Learning) Center And 'Use Dash(-) For Space Between Words :: ",
     &A::learningCenter, nullptr, nullptr},
    {" --> Enter The Street Name For This Center And 'Use Dash(-) For Space Between Words :: ",
     &A::centerStreet, nullptr, nullptr},
    {" --> Enter The Co-ordinator(Propsector) Is Name For This Location(Center) And 'Use Dash(-) "
     "For Space Between Words :: ",
     &A::coordinatorName, nullptr, nullptr},
    {" --> Enter One Near By(Related) Business(Production) In This Region(Place)  :: ",
     &A::nearbyBusiness, nullptr, nullptr},
    {" --> Enter Another Near By(Related) Productivity Company(Business) In The Same "
     "Region(Place)  :: ",
     &A::productivityCompany, nullptr, nullptr},
    {" --> Enter A Maintenance(Development) Company(Business) In This Zone(Region) Also  :: ",
     &A::maintenanceCompany, nullptr, nullptr},
    {" --> Also, Kindly Enter One Zonal(Regional) Library(Rec. Center) For Your "
     "Environment(Location) At The(This) Prompt.   :: ",
     &A::zonalLibrary, nullptr, nullptr},
    {" --> Provide Your Regional Library(Rec. Center) Fee For This Environment(Location) At "
     "The(This) Prompt Also.   :: ",
     &A::libraryFee, nullptr,
     " --> If Needed At The(This) Available Option(Focus) As Requested(Ordered), Provide It At The "
     "Prompt :: "},
    {" --> Provide The Nearest Shopping Center(Plaza) In Your Environment(Location) At The(This) "
     "Prompt.   :: ",
     &A::shoppingCenter, nullptr, nullptr},
    {" --> Provide The Name Of The Nearest School(Educational Compound  Premise) In Your "
     "Location(Environment) At The(This) Prompt.   :: ",
     &A::nearestSchool, nullptr, nullptr},
    {" --> What Is Today's Date (Provide It For This Record) At The(This) Prompt.   :: ",
     &A::entryDate, nullptr, nullptr},
    {" --> What Is The Time Now (Provide It For This Record) At The(This) Prompt.   :: ",
     &A::entryTime, nullptr, nullptr},
    {" --> What Is The Name Of Your State(Or City) (Provide It For This Record) At The(This) "
     "Prompt.   :: ",
     &A::stateOrCity, nullptr, nullptr},
    {" --> Provide One Tourist(Visitation) Place(Region) In The Same "
     "Environment(Community-Location) At The(This) Promp.   :: ",
     &A::touristPlace, nullptr, nullptr},
    {" --> Provide One Common Tribal Language In Your Place(Environment, Community, Place) In The "
     "Same Environment(Community-Location) At The(This) Promp.   :: ",
     &A::tribalLanguage, nullptr, nullptr},
    {" --> What Is The Name Of Your Current(Residing) Country Also (Provide It For This Record) "
     "At The(This) Prompt.   :: ",
     &A::country, nullptr, nullptr},
};

// Reads one answer into its field; false at the end of input.
bool readAnswer(Console& console, const Question& question, SurveyAnswers& answers) {
  if (question.real != nullptr) {
    std::string rejected;
    switch (console.reader.readReal(&(answers.*question.real), &rejected)) {
      case ReadResult::kEnd:
        return false;
      case ReadResult::kNoNumber:
        console.notices.notice("\"" + printableExcerpt(rejected) +
                               "\" is not a number; 0 is stored");
        return true;
      case ReadResult::kValue:
        return true;
    }
  }
  bool cut = false;
  if (console.reader.readWord(&(answers.*question.text), &cut) == ReadResult::kEnd) {
    return false;
  }
  if (cut) {
    console.notices.notice("an answer longer than " + std::to_string(InputReader::kWordLimit) +
                           " bytes was cut there");
  }
  return true;
}

}  // namespace

bool askQuestionnaire(Console& console, SurveyAnswers& answers) {
  for (const Question& question : kQuestions) {
    if (question.leadIn != nullptr) console.stream.line(question.leadIn);
    console.stream.line(question.prompt);
    if (!readAnswer(console, question, answers)) return false;
  }
  return true;
}

}  // namespace survey
