// The record layout: a table of lines with the answers, figures, contact texts and start time
// as fields.
#include "records/record_writer.h"

#include <iterator>

#include "console/texts.h"
#include "records/record_layout.h"

namespace survey {

const char* const kRecordLines[] = {
    " -->                     {contactName}[{signatureTag}] !!!",
    " -->                     {noticeText} !!!",
    " Location Default ->(1) ::  {defaultLocation1} ",
    " Location Default ->(2) ::  {defaultLocation2} ",
    " -->                 E.Mail Address Is :: {emailAddress} !!! ",
    " -->                 Current Phone Number Is :: {phoneNumber} !!! ",
    "  --> The Saved(Stored) Date For This Data Is :: {entryDate} , The Time It Was Saved(Stored) "
    "Is :: {entryTime}",
    " Candidate Name :: {firstName} {surname}",
    " Candidate Place Of Birth Is :: {placeOfBirth}",
    " Candidate's Date Of Birth Is :: {dateOfBirth} , Candidate's Age Is :: {ageNowText}",
    " Candidate(Bearer) Is Educational(Learning Center) :: {learningCenter}",
    " Enter The Street Name For This Center :: {centerStreet}",
    " Enter The Co-ordinator(Propsector) Is Name For This Location(Center) :: {coordinatorName}",
    "  --> One Near By(Related) Business(Production) In This Region(Place) Is :: {nearbyBusiness}",
    "  --> The Near By(Related) Productivity Company(Business) In The Same Region(Place)  :: "
    "{productivityCompany}",
    "  --> One Maintenance(Development) Company(Business) In This Zone(Region) Is  :: "
    "{maintenanceCompany}",
    " Your Age In {A} Years Time Will Be :: {S+A} . Thank You For Providing These Options And "
    "Selections. ",
    " --> The Nearest Shopping Center(Plaza) In This Location(Environment) Is :: {shoppingCenter}",
    " --> The Name Of The Nearest School(Educational Compound) In This Location(Environment) Is.   "
    ":: {nearestSchool}",
    "  --> The Zonal(Regional) Library(Recreational Center) For The Environment(Location) Is. :: "
    "{zonalLibrary}",
    "  --> The Provided Regional Library(Recreational Center) Fee For This Environment(Location) "
    "Is .   :: N {libraryFee}",
    "  --> The Name Of My State(State And City) Is :: {stateOrCity}",
    "  --> A Near By Tourist(Visitable) Region(Place) Is :: {touristPlace}",
    "  --> A Common Tribal Language In Your Region(Environment, Community, Place) Is :: "
    "{tribalLanguage}",
    "  --> The Name Of My Current(Residing) Country Is :: {country}",
    "{RuleStarsWide}",
    " The Multiple Of The(This) Number Is :: {A} x {A} = {A*A}",
    " The Addition Of The(This) Number Is :: {A} + {A} = {A+A}",
    "{RuleDash117}",
    "{timeLine}  -->  Today's Date Is {day} {monthName} {year}.",
    "",
    "{RuleDash119}",
    "{RuleDashWide}",
    " --> [{creditSite}] -> End Of Collection({creditCollaborator}<->Collated Datas) <-> "
    "{creditPhone} <--",
    " --------------------------------------------> {departmentName} "
    "<------------------------------------------------",
};
static_assert(std::size(kRecordLines) == kRecordLineCount);

namespace {

FieldLookup clockLookup(const StartClock& clock) {
  return [&clock](std::string_view name, std::string* text) {
    if (name == "timeLine") {
      *text = clock.timeLine;
    } else if (name == "day") {
      *text = std::to_string(clock.time.dayOfMonth);
    } else if (name == "monthName") {
      *text = clock.monthName();
    } else if (name == "year") {
      *text = std::to_string(clock.year());
    } else {
      return false;
    }
    return true;
  };
}

}  // namespace

std::string buildRecord(const FieldLookup& answers, const StartClock& clock) {
  FieldLookup fields = chainLookups({answers, lookupContactText, lookupRule, clockLookup(clock)});
  std::string record;
  record.reserve(4096);
  for (const char* line : kRecordLines) {
    renderLine(line, fields, &record);
    record.push_back('\n');
  }
  return record;
}

bool isWholeRecord(std::string_view text) {
  for (std::string_view line : kRecordLines) {
    const size_t end = text.find('\n');
    if (end == std::string_view::npos) return false;
    std::string_view held = text.substr(0, end);
    if (!held.empty() && held.back() == '\r') held.remove_suffix(1);
    text.remove_prefix(end + 1);
    // The fixed text before the first field and after the last one; fields hold no line end.
    const size_t open = line.find('{'), close = line.rfind('}');
    const std::string_view before = line.substr(0, open);
    const std::string_view after =
        open == std::string_view::npos ? std::string_view() : line.substr(close + 1);
    if (held.size() < before.size() + after.size() || held.substr(0, before.size()) != before ||
        held.substr(held.size() - after.size()) != after ||
        (open == std::string_view::npos && held != line)) {
      return false;
    }
  }
  return text.empty();
}

}  // namespace survey
