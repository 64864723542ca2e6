// Options 3, 4 and 5: the usage guide, the retrieval guide with its sub-choice, the clear.
#pragma once

#include "console/session.h"

namespace survey {

Flow showUsageGuide(Session& session);
// Asks for a sub-choice: 1 runs the questionnaire action, 2 the listing action.
Flow showRetrievalGuide(Session& session);
// Clears the console, then shows the heading, a short notice and the contact banner.
Flow clearScreenOption(Session& session);

}  // namespace survey
