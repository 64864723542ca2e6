// The question table and the loop that asks it.
#include "questionnaire/questionnaire.h"

#include <string>

namespace survey {
namespace {

struct Question {
  const char* name;  // the prompt's name in notices
  const char* prompt;
  std::string SurveyAnswers::*text;  // the answer's field: a text answer...
  double SurveyAnswers::*real;       // ...or a real one
  const char* leadIn;                // a line written before the prompt, with no read
};

using A = SurveyAnswers;

const Question kQuestions[] = {
    {"firstname prompt", " --> Enter Your Firstname :: ", &A::firstName, nullptr, nullptr},
    {"surname prompt", " --> Enter Your Surname :: ", &A::surname, nullptr, nullptr},
    {"place-of-birth prompt", " --> Enter Your Place Of Birth :: ", &A::placeOfBirth, nullptr,
     nullptr},
    {"date-of-birth prompt", " --> Enter Your Date Of Birth :: ", &A::dateOfBirth, nullptr,
     nullptr},
    {"age prompt", " --> Enter Your Age Now :: ", &A::ageNowText, nullptr, nullptr},
    {"same-age prompt", " --> Enter The Same Age Again :: ", nullptr, &A::sameAge, nullptr},
    {"calculated-age prompt", " --> Enter A Calculated Age For Another Year :: ", nullptr,
     &A::anotherYearAge, nullptr},
    {"learning-center prompt",
     " --> Enter Your Educational(Learning) Center And 'Use Dash(-) For Space Between Words :: ",
     &A::learningCenter, nullptr, nullptr},
    {"street prompt",
     " --> Enter The Street Name For This Center And 'Use Dash(-) For Space Between Words :: ",
     &A::centerStreet, nullptr, nullptr},
    {"co-ordinator prompt",
     " --> Enter The Co-ordinator(Propsector) Is Name For This Location(Center) And 'Use Dash(-) "
     "For Space Between Words :: ",
     &A::coordinatorName, nullptr, nullptr},
    {"business prompt",
     " --> Enter One Near By(Related) Business(Production) In This Region(Place)  :: ",
     &A::nearbyBusiness, nullptr, nullptr},
    {"productivity-company prompt",
     " --> Enter Another Near By(Related) Productivity Company(Business) In The Same "
     "Region(Place)  :: ",
     &A::productivityCompany, nullptr, nullptr},
    {"maintenance-company prompt",
     " --> Enter A Maintenance(Development) Company(Business) In This Zone(Region) Also  :: ",
     &A::maintenanceCompany, nullptr, nullptr},
    {"library prompt",
     " --> Also, Kindly Enter One Zonal(Regional) Library(Rec. Center) For Your "
     "Environment(Location) At The(This) Prompt.   :: ",
     &A::zonalLibrary, nullptr, nullptr},
    {"library-fee prompt",
     " --> Provide Your Regional Library(Rec. Center) Fee For This Environment(Location) At "
     "The(This) Prompt Also.   :: ",
     &A::libraryFee, nullptr,
     " --> If Needed At The(This) Available Option(Focus) As Requested(Ordered), Provide It At The "
     "Prompt :: "},
    {"shopping-center prompt",
     " --> Provide The Nearest Shopping Center(Plaza) In Your Environment(Location) At The(This) "
     "Prompt.   :: ",
     &A::shoppingCenter, nullptr, nullptr},
    {"school prompt",
     " --> Provide The Name Of The Nearest School(Educational Compound  Premise) In Your "
     "Location(Environment) At The(This) Prompt.   :: ",
     &A::nearestSchool, nullptr, nullptr},
    {"date prompt",
     " --> What Is Today's Date (Provide It For This Record) At The(This) Prompt.   :: ",
     &A::entryDate, nullptr, nullptr},
    {"time prompt",
     " --> What Is The Time Now (Provide It For This Record) At The(This) Prompt.   :: ",
     &A::entryTime, nullptr, nullptr},
    {"state prompt",
     " --> What Is The Name Of Your State(Or City) (Provide It For This Record) At The(This) "
     "Prompt.   :: ",
     &A::stateOrCity, nullptr, nullptr},
    {"tourist-place prompt",
     " --> Provide One Tourist(Visitation) Place(Region) In The Same "
     "Environment(Community-Location) At The(This) Promp.   :: ",
     &A::touristPlace, nullptr, nullptr},
    {"language prompt",
     " --> Provide One Common Tribal Language In Your Place(Environment, Community, Place) In The "
     "Same Environment(Community-Location) At The(This) Promp.   :: ",
     &A::tribalLanguage, nullptr, nullptr},
    {"country prompt",
     " --> What Is The Name Of Your Current(Residing) Country Also (Provide It For This Record) "
     "At The(This) Prompt.   :: ",
     &A::country, nullptr, nullptr},
};

// Reads one answer into its field; false at the end of input.
bool readAnswer(Console& console, const Question& question, SurveyAnswers& answers) {
  if (question.real != nullptr) {
    return readRealAnswer(console, question.name, &(answers.*question.real));
  }
  return readWordAnswer(console, question.name, &(answers.*question.text));
}

}  // namespace

std::vector<PromptText> promptTexts() {
  std::vector<PromptText> texts;
  for (const Question& question : kQuestions) {
    std::string_view answer = question.real == &A::sameAge          ? "S"
                              : question.real == &A::anotherYearAge ? "A"
                                                                    : textAnswerName(question.text);
    texts.push_back({answer, question.prompt});
  }
  return texts;
}

bool askQuestionnaire(Console& console, SurveyAnswers& answers) {
  for (const Question& question : kQuestions) {
    if (question.leadIn != nullptr) console.stream.line(question.leadIn);
    console.stream.line(question.prompt);
    if (!readAnswer(console, question, answers)) return false;
  }
  return true;
}

}  // namespace survey
