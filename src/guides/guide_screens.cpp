// The guide screens and the clear-screen option.
#include "guides/guide_screens.h"

#include "console/actions.h"
#include "console/banners.h"
#include "guides/guide_texts.h"

namespace survey {
namespace {

void writeGuide(ConsoleStream& out, const GuideLines& lines) {
  out.spacer();
  for (const char* line : lines) out.line(line);
  out.spacer();
}

}  // namespace

Flow showUsageGuide(Session& session) {
  writeGuide(session.stream(), usageGuideLines);
  printBanner(session.stream(), usageGuideBanner);
  return Flow::kContinue;
}

Flow showRetrievalGuide(Session& session) {
  writeGuide(session.stream(), retrievalGuideLines);
  session.stream().line(retrievalChoicePrompt);
  if (!session.readWholeNumber("guide choice", &session.guideChoice)) return Flow::kInputEnded;
  Flow flow = Flow::kContinue;
  if (session.guideChoice == 1) flow = runQuestionnaireAction(session);
  if (flow == Flow::kContinue && session.guideChoice == 2) flow = runListingAction(session);
  return flow;
}

Flow clearScreenOption(Session& session) {
  // Whatever the stream holds reaches the console before it is cleared.
  session.stream().flushAll();
  Status cleared = session.terminal().clearScreen(session.output());
  if (!cleared.ok()) session.notice("cannot clear the screen: " + cleared.reason());
  printBanner(session.stream(), clearScreenHeading);
  writeGuide(session.stream(), clearScreenNoticeLines);
  printBanner(session.stream(), clearScreenBanner);
  return Flow::kContinue;
}

}  // namespace survey
