// The fixed lines of the guide screens, one table per screen.
#pragma once

#include <vector>

namespace survey {

using GuideLines = std::vector<const char*>;

extern const GuideLines usageGuideLines;
extern const GuideLines retrievalGuideLines;
extern const GuideLines clearScreenNoticeLines;
extern const char* const retrievalChoicePrompt;

}  // namespace survey
