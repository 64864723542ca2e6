// The menu's options as actions on the run's session.
#pragma once

#include "app/session.h"

namespace survey {

// Asks the questionnaire, shows the summary and appends the record. A record that cannot be
// saved is reported and the run goes on; the end of input stops it with nothing stored.
Flow runQuestionnaireAction(Session& session);

// Lists the record file, or ends the run when it cannot be opened.
Flow runListingAction(Session& session);

// The usage guide.
Flow runUsageGuide(Session& session);

// The retrieval guide, then the action its sub-choice names: 1 the questionnaire, 2 the listing.
Flow runRetrievalGuide(Session& session);

// Clears the screen and shows a short notice.
Flow runClearScreen(Session& session);

}  // namespace survey
