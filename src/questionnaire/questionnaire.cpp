// The question table and the loop that asks it.
#include "questionnaire/questionnaire.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "console/notices.h"
#include "console/number_format.h"
#include "console/terminal_input.h"

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

constexpr int kQuestionCount = static_cast<int>(std::size(kQuestions));

// The check before saving, at the terminal: the prompt under the list, which fits a screen of
// 24 lines with it.
constexpr const char* kReviewPrompt =
    "Save these answers? Enter saves, 1-23 asks that question again, q discards: ";
constexpr const char* kReviewAgain = "Type Enter, a number from 1 to 23, or q.\n";
constexpr int kReviewHistory = -1;

// Reads one answer into its field; false at the end of input.
bool readAnswer(Console& console, const Question& question, SurveyAnswers& answers) {
  if (question.real != nullptr) {
    return readRealAnswer(console, question.name, &(answers.*question.real));
  }
  return readWordAnswer(console, question.name, &(answers.*question.text));
}

// Asks question `index`. At a terminal the line is checked and shown with its progress; a
// `repeated` question (from the check before saving) shows on the terminal alone, so that
// standard output holds what the answers finally given would give piped in.
bool askQuestion(Console& console, int index, SurveyAnswers& answers, bool repeated) {
  const Question& question = kQuestions[index];
  if (!repeated) {
    if (question.leadIn != nullptr) console.stream.line(question.leadIn);
    console.stream.line(question.prompt);
  }
  if (console.terminal != nullptr) {
    AskContext context;
    context.progress = std::to_string(index + 1) + "/" + std::to_string(kQuestionCount);
    context.question = question.leadIn != nullptr
                           ? std::string(question.leadIn) + "\n" + question.prompt
                           : std::string(question.prompt);
    context.showQuestion = true;
    context.history = index;
    context.kind = question.real != nullptr ? AnswerKind::kReal : AnswerKind::kWord;
    context.answersGiven = repeated ? kQuestionCount : index;
    console.terminal->setContext(context, repeated);
  }
  const bool answered = readAnswer(console, question, answers);
  if (console.terminal != nullptr) console.terminal->clearContext();
  return answered;
}

// The numbered list of the answers with their questions.
std::string answerList(const SurveyAnswers& answers) {
  std::string list;
  for (int i = 0; i < kQuestionCount; ++i) {
    const Question& question = kQuestions[i];
    std::string label(question.name);
    label.resize(label.size() - std::string_view(" prompt").size());
    label.resize(std::max<size_t>(label.size(), 22), ' ');
    const std::string number = std::to_string(i + 1);
    list.append(3 - number.size(), ' ').append(number).append("  ").append(label).append(" ");
    list += question.real != nullptr ? formatReal(answers.*question.real)
                                     : printableExcerpt(answers.*question.text);
    list += "\n";
  }
  return list;
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
  for (int i = 0; i < kQuestionCount; ++i) {
    if (!askQuestion(console, i, answers, false)) return false;
  }
  return true;
}

Review reviewAnswers(Console& console, SurveyAnswers& answers) {
  if (console.terminal == nullptr) return Review::kSave;
  LineEditor& editor = console.terminal->editor();
  console.stream.flushAll();
  editor.show(answerList(answers));
  for (;;) {
    std::string line;
    const LineRead got = editor.readLine(kReviewPrompt, kReviewHistory, &line);
    if (got != LineRead::kLine) {
      if (console.terminal->confirmInterrupt(got, kQuestionCount)) return Review::kInputEnded;
      continue;
    }
    const size_t first = line.find_first_not_of(" \t");
    const std::string choice = first == std::string::npos
                                   ? ""
                                   : line.substr(first, line.find_last_not_of(" \t") + 1 - first);
    if (choice.empty()) return Review::kSave;
    if (choice == "q" || choice == "Q") return Review::kDiscard;
    const bool isNumber =
        choice.size() <= 2 && choice.find_first_not_of("0123456789") == std::string::npos;
    const int number = isNumber ? std::stoi(choice) : 0;
    if (number < 1 || number > kQuestionCount) {
      editor.show(kReviewAgain);
      continue;
    }
    if (!askQuestion(console, number - 1, answers, true)) return Review::kInputEnded;
    editor.show(answerList(answers));
  }
}

}  // namespace survey
