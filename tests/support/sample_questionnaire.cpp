// The sample questionnaire's expected screens and record, transcribed line by line.
#include "support/sample_questionnaire.h"

#include "console/texts.h"

namespace survey::testing {
namespace {

const char* const kPrompts[] = {
    " --> Enter Your Firstname :: ",
    " --> Enter Your Surname :: ",
    " --> Enter Your Place Of Birth :: ",
    " --> Enter Your Date Of Birth :: ",
    " --> Enter Your Age Now :: ",
    " --> Enter The Same Age Again :: ",
    " --> Enter A Calculated Age For Another Year :: ",
    " --> Enter Your Educational(Learning) Center And 'Use Dash(-) For Space Between Words :: ",
    " --> Enter The Street Name For This Center And 'Use Dash(-) For Space Between Words :: ",
    " --> Enter The Co-ordinator(Propsector) Is Name For This Location(Center) And 'Use Dash(-) "
    "For Space Between Words :: ",
    " --> Enter One Near By(Related) Business(Production) In This Region(Place)  :: ",
    " --> Enter Another Near By(Related) Productivity Company(Business) In The Same Region(Place)  "
    ":: ",
    " --> Enter A Maintenance(Development) Company(Business) In This Zone(Region) Also  :: ",
    " --> Also, Kindly Enter One Zonal(Regional) Library(Rec. Center) For Your "
    "Environment(Location) At The(This) Prompt.   :: ",
    " --> If Needed At The(This) Available Option(Focus) As Requested(Ordered), Provide It At The "
    "Prompt :: ",
    " --> Provide Your Regional Library(Rec. Center) Fee For This Environment(Location) At "
    "The(This) Prompt Also.   :: ",
    " --> Provide The Nearest Shopping Center(Plaza) In Your Environment(Location) At The(This) "
    "Prompt.   :: ",
    " --> Provide The Name Of The Nearest School(Educational Compound  Premise) In Your "
    "Location(Environment) At The(This) Prompt.   :: ",
    " --> What Is Today's Date (Provide It For This Record) At The(This) Prompt.   :: ",
    " --> What Is The Time Now (Provide It For This Record) At The(This) Prompt.   :: ",
    " --> What Is The Name Of Your State(Or City) (Provide It For This Record) At The(This) "
    "Prompt.   :: ",
    " --> Provide One Tourist(Visitation) Place(Region) In The Same "
    "Environment(Community-Location) At The(This) Promp.   :: ",
    " --> Provide One Common Tribal Language In Your Place(Environment, Community, Place) In The "
    "Same Environment(Community-Location) At The(This) Promp.   :: ",
    " --> What Is The Name Of Your Current(Residing) Country Also (Provide It For This Record) At "
    "The(This) Prompt.   :: ",
};

const char* const kSummary[] = {
    " ",
    " ---->  Inputed(Received) Data(s)",
    " ---------------------------------------------------------------------------------------------"
    "-------------------------",
    "  --> Candidate(Bearer) Is Full Name :: Ada Lovelace",
    "  --> Candidate(Bearer) Is Place Of Birth :: London , Age Is :: 30",
    "  --> Candidate(Bearer) Is Educational(Learning Center) :: Green-Valley-Learning-Centre",
    "  --> The Street Name For This Center Is :: Elm-Street",
    "  --> The Co-ordinator(Propsector) Is Name For This Location(Center) Is :: Grace-Hopper",
    "  --> One Near By(Related) Business(Production) In This Region(Place) Is :: Bakery",
    "  --> The Near By(Related) Productivity Company(Business) In The Same Region(Place)  :: "
    "Mill-Works",
    "  --> One Maintenance(Development) Company(Business) In This Zone(Region) Is  :: FixIt",
    "  --> Your Age In 30 Year(s) Time Will Be 35.  Thank You Very Much ",
    " --> The Zonal(Regional) Library(Recreational Center) For The Environment(Location) Is. :: "
    "Central-Library",
    " --> The Provided Regional Library(Recreational Center) Fee For This Environment(Location) Is "
    ".   :: N 250",
    " --> The Nearest Shopping Center(Plaza) In This Location(Environment) Is :: Riverside-Plaza",
    " --> The Name Of The Nearest School(Educational Compound) In This Location(Environment) Is.   "
    ":: Oak-School",
    "  --> The Name Of My State(State And City) Is :: Lagos",
    "  --> A Near By Tourist(Visitable) Region(Place) Is :: Falls",
    "  --> A Common Tribal Language In Your Region(Environment, Community, Place) Is :: Yoruba",
    "  --> The Name Of My Current(Residing) Country Is :: Nigeria",
    " ---------------------------------------------------------------------------------------------"
    "-------------------------",
    " The Multiple Of The(This) Number Is :: 5 x 5 = 25",
    " The Addition Of The(This) Number Is :: 5 + 5 = 10",
    " ............................................................................................."
    "..............",
    " The(This) Number Divided By 2 :: 30  / 2 = 15 , Nearest Number(s). Thank You Very Much ",
    " The(This) Number Divided By 2 :: 5  / 2 = 2.5 , Nearest Number(s). Thank You Very Much ",
    " ............................................................................................."
    "..............",
    " The(This) Number Divided By 3 :: 30  / 3 = 10 , Nearest Number(s). Thank You Very Much ",
    " The(This) Number Divided By 3 :: 5  / 3 = 1.66667 , Nearest Number(s). Thank You Very Much ",
    " ............................................................................................."
    "..............",
    " The(This) Number Divided By 4 :: 30  / 4 = 7.5 , Nearest Number(s). Thank You Very Much ",
    " The(This) Number Divided By 4 :: 5  / 4 = 1.25 , Nearest Number(s). Thank You Very Much ",
    " ............................................................................................."
    "..............",
    " The(This) Number Divided By 5 :: 30  / 5 = 6 , Nearest Number(s). Thank You Very Much ",
    " The(This) Number Divided By 5 :: 5  / 5 = 1 , Nearest Number(s). Thank You Very Much ",
    " ............................................................................................."
    "..............",
    " ---------------------------------------------------------------------------------------------"
    "-------------------------",
};

std::string joinLines(const std::string* lines, size_t count) {
  std::string text;
  for (size_t i = 0; i < count; ++i) text += lines[i] + "\n";
  return text;
}

}  // namespace

const char* const kSampleAnswers =
    "Ada Lovelace London 10-12-1815 30 30 5 Green-Valley-Learning-Centre Elm-Street Grace-Hopper "
    "Bakery Mill-Works FixIt Central-Library 250 Riverside-Plaza Oak-School 07-12-2026 21:10 Lagos "
    "Falls Yoruba Nigeria";

std::string expectedPrompts() {
  std::string text;
  for (const char* line : kPrompts) text += std::string(line) + "\n";
  return text;
}

std::string expectedSampleSummary() {
  std::string text;
  for (const char* line : kSummary) text += std::string(line) + "\n";
  return text;
}

std::string expectedSampleRecord() {
  const ContactTexts& c = contactTexts();
  const std::string timeLine = " ----> The Time At Program's Run(Execution) Now Is :: 09:05 PM. ";
  const std::string lines[] = {
      " -->                     " + std::string(c.contactName) + "[" + std::string(c.signatureTag) +
          "] !!!",
      " -->                     " + std::string(c.noticeText) + " !!!",
      " Location Default ->(1) ::  " + std::string(c.defaultLocation1) + " ",
      " Location Default ->(2) ::  " + std::string(c.defaultLocation2) + " ",
      " -->                 E.Mail Address Is :: " + std::string(c.emailAddress) + " !!! ",
      " -->                 Current Phone Number Is :: " + std::string(c.phoneNumber) + " !!! ",
      "  --> The Saved(Stored) Date For This Data Is :: 07-12-2026 , The Time It Was Saved(Stored) "
      "Is :: 21:10",
      " Candidate Name :: Ada Lovelace",
      " Candidate Place Of Birth Is :: London",
      " Candidate's Date Of Birth Is :: 10-12-1815 , Candidate's Age Is :: 30",
      " Candidate(Bearer) Is Educational(Learning Center) :: Green-Valley-Learning-Centre",
      " Enter The Street Name For This Center :: Elm-Street",
      " Enter The Co-ordinator(Propsector) Is Name For This Location(Center) :: Grace-Hopper",
      "  --> One Near By(Related) Business(Production) In This Region(Place) Is :: Bakery",
      "  --> The Near By(Related) Productivity Company(Business) In The Same Region(Place)  :: "
      "Mill-Works",
      "  --> One Maintenance(Development) Company(Business) In This Zone(Region) Is  :: FixIt",
      " Your Age In 5 Years Time Will Be :: 35 . Thank You For Providing These Options And "
      "Selections. ",
      " --> The Nearest Shopping Center(Plaza) In This Location(Environment) Is :: Riverside-Plaza",
      " --> The Name Of The Nearest School(Educational Compound) In This Location(Environment) Is. "
      "  :: Oak-School",
      "  --> The Zonal(Regional) Library(Recreational Center) For The Environment(Location) Is. :: "
      "Central-Library",
      "  --> The Provided Regional Library(Recreational Center) Fee For This Environment(Location) "
      "Is .   :: N 250",
      "  --> The Name Of My State(State And City) Is :: Lagos",
      "  --> A Near By Tourist(Visitable) Region(Place) Is :: Falls",
      "  --> A Common Tribal Language In Your Region(Environment, Community, Place) Is :: Yoruba",
      "  --> The Name Of My Current(Residing) Country Is :: Nigeria",
      " *******************************************************************************************"
      "***************************",
      " The Multiple Of The(This) Number Is :: 5 x 5 = 25",
      " The Addition Of The(This) Number Is :: 5 + 5 = 10",
      "--------------------------------------------------------------------------------------------"
      "-------------------------",
      timeLine + "  -->  Today's Date Is 7 December 2026.",
      "",
      "--------------------------------------------------------------------------------------------"
      "---------------------------",
      " -------------------------------------------------------------------------------------------"
      "---------------------------",
      " --> [" + std::string(c.creditSite) + "] -> End Of Collection(" +
          std::string(c.creditCollaborator) + "<->Collated Datas) <-> " +
          std::string(c.creditPhone) + " <--",
      " --------------------------------------------> " + std::string(c.departmentName) +
          " <------------------------------------------------",
  };
  return joinLines(lines, sizeof lines / sizeof *lines);
}

}  // namespace survey::testing
