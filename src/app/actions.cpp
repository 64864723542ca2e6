// The menu's actions: the questionnaire with its record, the listing's screen and the guides.
#include "app/actions.h"

#include "guides/guide_screens.h"
#include "questionnaire/questionnaire.h"
#include "questionnaire/summary.h"
#include "records/record_file.h"
#include "records/record_listing.h"
#include "records/record_writer.h"

namespace survey {

Flow runQuestionnaireAction(Session& session) {
  if (!askQuestionnaire(session.console(), session.answers)) {
    session.notice("the input ended before the questionnaire was complete; nothing was saved");
    session.markFailed();
    return Flow::kInputEnded;
  }
  showSummary(session.stream(), session.answers);
  const std::string record = buildRecord(answerLookup(session.answers), session.startClock());
  Status saved = appendRecord(session.files(), record);
  if (!saved.ok()) {
    session.notice(std::string("cannot save the record to ") + kRecordFileName + ": " +
                   saved.reason() + "; the run goes on and will end with status 1");
    session.markFailed();
  }
  return Flow::kContinue;
}

Flow runListingAction(Session& session) {
  ListingOutcome listing = listRecords(session.files(), session.stream());
  if (!listing.opened.ok()) {
    session.notice(std::string("cannot open ") + kRecordFileName + ": " + listing.opened.reason());
    session.stream().write("Cannot open file.");
    return Flow::kAbort;
  }
  if (!listing.read.ok()) {
    session.notice(std::string("reading ") + kRecordFileName + " failed: " + listing.read.reason() +
                   "; the listing stops there");
    session.markFailed();
  }
  return Flow::kContinue;
}

Flow runUsageGuide(Session& session) {
  showUsageGuide(session.stream());
  return Flow::kContinue;
}

Flow runRetrievalGuide(Session& session) {
  if (!askRetrievalChoice(session.console(), &session.guideChoice)) return Flow::kInputEnded;
  Flow flow = Flow::kContinue;
  if (session.guideChoice == 1) flow = runQuestionnaireAction(session);
  if (flow == Flow::kContinue && session.guideChoice == 2) flow = runListingAction(session);
  return flow;
}

Flow runClearScreen(Session& session) {
  clearScreenOption(session.stream(), session.terminal(), session.notices());
  return Flow::kContinue;
}

}  // namespace survey
