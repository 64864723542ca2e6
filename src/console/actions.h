// The two actions that the menu and the retrieval guide's sub-choice both run.
#pragma once

#include "console/session.h"

namespace survey {

// Asks the questionnaire, shows the summary and appends the record. A record that cannot be
// saved is reported and the run goes on; the end of input stops it with nothing stored.
Flow runQuestionnaireAction(Session& session);

// Lists the record file, or ends the run when it cannot be opened.
Flow runListingAction(Session& session);

}  // namespace survey
