// The guide screens and the clear-screen option.
#include "guides/guide_screens.h"

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

void showUsageGuide(ConsoleStream& stream) {
  writeGuide(stream, usageGuideLines);
  printBanner(stream, usageGuideBanner);
}

bool askRetrievalChoice(Console& console, int* choice) {
  writeGuide(console.stream, retrievalGuideLines);
  console.stream.line(retrievalChoicePrompt);
  return readWholeNumber(console, "guide choice", choice);
}

void clearScreenOption(ConsoleStream& stream, Terminal& terminal, Notices& notices) {
  // Whatever the stream holds reaches the console before it is cleared.
  stream.flushAll();
  DirectPrint console(stream);
  Status cleared = terminal.clearScreen(console);
  if (!cleared.ok() && stream.status().ok()) {
    notices.notice("cannot clear the screen: " + cleared.reason());
  }
  printBanner(stream, clearScreenHeading);
  writeGuide(stream, clearScreenNoticeLines);
  printBanner(stream, clearScreenBanner);
}

}  // namespace survey
