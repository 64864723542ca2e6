// Wiring the questionnaire, summary, record writer and listing into menu actions.
#include "console/actions.h"

#include "questionnaire/questionnaire.h"
#include "questionnaire/summary.h"
#include "records/record_listing.h"
#include "records/record_writer.h"

namespace survey {

Flow runQuestionnaireAction(Session& session) {
  if (!askQuestionnaire(session, session.answers)) {
    session.notice("the input ended before the questionnaire was complete; nothing was saved");
    session.markFailed();
    return Flow::kInputEnded;
  }
  showSummary(session.stream(), session.answers);
  Status saved = appendRecord(session.files(), session.answers, session.startClock());
  if (!saved.ok()) {
    session.notice(std::string("cannot save the record to ") + kRecordFileName + ": " +
                   saved.reason() + "; the run goes on and will end with status 1");
    session.markFailed();
  }
  return Flow::kContinue;
}

Flow runListingAction(Session& session) { return listRecords(session); }

}  // namespace survey
