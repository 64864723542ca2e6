// The guide screens and the clear-screen option.
#include "guides/guide_screens.h"

#include "console/actions.h"
#include "console/banners.h"
#include "guides/guide_texts.h"

namespace survey {
namespace {

// The clear's bytes go out as a direct print of the console stream, so a failed write is a
// failure of standard output like any other: reported once at the end, status 1.
class DirectPrint : public ConsoleOutput {
 public:
  explicit DirectPrint(ConsoleStream& stream) : stream_(stream) {}
  Status write(std::string_view bytes) override {
    stream_.printDirect(bytes);
    return stream_.status();
  }

 private:
  ConsoleStream& stream_;
};

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
  DirectPrint console(session.stream());
  Status cleared = session.terminal().clearScreen(console);
  if (!cleared.ok() && session.stream().status().ok()) {
    session.notice("cannot clear the screen: " + cleared.reason());
  }
  printBanner(session.stream(), clearScreenHeading);
  writeGuide(session.stream(), clearScreenNoticeLines);
  printBanner(session.stream(), clearScreenBanner);
  return Flow::kContinue;
}

}  // namespace survey
