// The main loop and the fixed screens around it.
#include "app/run_driver.h"

#include <string>

#include "app/actions.h"
#include "app/session.h"
#include "console/banners.h"
#include "console/texts.h"

namespace survey {
namespace {

// The fixed lines of the main loop's screens.
constexpr const char* kStatusLabel = "  ----> In The Main Program Of X-Function(x) - Status :: = ";
constexpr const char* kNumberPrompt[] = {
    "  --------> The Main Program(Application) Execution Mode And Values <--------",
    "",
    " ----> Enter A Number From(-1 to exit) Either To Continue Or Quit(Exit) The Program Now :: ",
    " --> The '-1' Option(Value) Will Allow You To Exit(Quit) The Program Immediately :: ",
};
constexpr const char* kEchoLabel =
    " Here Is The Continuation And Execution Value(Mode) Of The Screen :: = ";
constexpr const char* kLoopLabel = "  ----> The In while Program(Looping Stage(s)) Is(Of) x = ";
constexpr const char* kMenuHeading =
    "--------------------------------- Option(s) For Program(s) Begin(s)"
    "----------------------------------------- ";
constexpr const char* kMenuPrompt =
    " --> Enter Requested Option |--| [ Any Option From 1 To 5 ] Option(Selection) Requested :: ";
constexpr const char* kMenuNote =
    " --> Note That Option '5' Is Meant For(To) Clear(Screen Refresh) The Screen For A Clear "
    "View(Sight :: ";
constexpr const char* kRunCountLabel = ", Program is in execution mode ";
constexpr const char* kRunCountUnit = " times";
constexpr const char* kGlobalStatusLabel = " General(Global) X-Function(x) - Status :: = ";
constexpr const char* kPressAnyKey = "Press any key to continue...";

constexpr int kMainStatus = 24;
constexpr int kGlobalStatus = 8;
constexpr int kExitValue = -1;

// The options of the menu; any other number runs nothing.
struct MenuOption {
  int number;
  Flow (*run)(Session&);
};

const MenuOption kMenu[] = {
    {1, runQuestionnaireAction}, {2, runListingAction}, {3, runUsageGuide},
    {4, runRetrievalGuide},      {5, runClearScreen},
};

void writeStartBlock(Session& session) {
  ConsoleStream& out = session.stream();
  const StartClock& start = session.startClock();
  out.spacer();
  printBanner(out, startBanner);
  // The date stays pending while the time line is printed directly, so the time line shows
  // first and the date opens the line the next spacer ends.
  out.write(" ----> Today's date is ");
  out.write(start.time.dayOfMonth);
  out.write(" ");
  out.write(start.monthName());
  out.write("  ");
  out.write(start.year());
  out.write("  .");
  out.printDirect(start.timeLine + "\n");
  out.spacer();
  out.spacer();
  out.line(RuleEquals);
  out.write(kStatusLabel);
  out.write(kMainStatus);
  out.endLine();
}

void printRunCountBanner(ConsoleStream& out, int count) {
  out.spacer();
  out.line(RulePlus);
  out.write(kRunCountLabel);
  out.write(count);
  out.line(kRunCountUnit);
  out.line(RulePlus);
}

void writeMenu(ConsoleStream& out, int loopValue) {
  out.endLine();
  out.write(kEchoLabel);
  out.write(loopValue);
  out.endLine();
  out.write(kLoopLabel);
  out.write(loopValue);
  out.spacer();
  out.line(RuleDashMenu);
  out.spacer();
  out.spacer();
  out.line(kMenuHeading);
  out.spacer();
  out.line(kMenuPrompt);
  out.line(kMenuNote);
}

// One pass of the main loop; false when the loop ends.
bool runPass(Session& session, int* runCount, Flow* flow) {
  ConsoleStream& out = session.stream();
  out.spacer();
  for (const char* line : kNumberPrompt) out.line(line);
  out.line(RuleEquals);
  int loopValue = kExitValue;
  bool gotNumber = readWholeNumber(session.console(), "number prompt", &loopValue, kExitValue);
  out.line(RuleDashShort);
  if (!gotNumber || loopValue == kExitValue) return false;  // the end of input counts as -1

  writeMenu(out, loopValue);
  if (!readWholeNumber(session.console(), "option prompt", &session.menuOption)) {
    *flow = Flow::kInputEnded;
    return false;
  }
  for (const MenuOption& option : kMenu) {
    if (session.menuOption == option.number) *flow = option.run(session);
  }
  if (*flow != Flow::kContinue) return false;
  printRunCountBanner(out, ++*runCount);
  return true;
}

void writeExitBlock(Session& session) {
  ConsoleStream& out = session.stream();
  out.spacer();
  out.line(RuleDashMenu);
  out.endLine();
  out.write(kGlobalStatusLabel);
  out.write(kGlobalStatus);
  out.endLine();
  out.line(RuleStarsExit);
  out.spacer();
  printBanner(out, closingBanner);
  out.endLine();
  out.write(kPressAnyKey);
  out.endLine();
  out.write(kPressAnyKey);  // stays pending until the program ends, after the key
  out.flushLines();
  // Where standard output goes elsewhere, the terminal gets the prompt too.
  session.terminal().waitForKeyShowing(kPressAnyKey);
}

}  // namespace

int runSurvey(Env& env) {
  Session session(env);
  writeStartBlock(session);
  int runCount = 0;
  Flow flow = Flow::kContinue;
  while (runPass(session, &runCount, &flow)) {
  }
  if (flow != Flow::kAbort) writeExitBlock(session);
  session.stream().flushAll();
  session.terminal().finishLine();
  if (!session.stream().status().ok()) {
    session.notice("cannot write to standard output: " + session.stream().status().reason());
    return 1;
  }
  return flow == Flow::kAbort || session.failed() ? 1 : 0;
}

}  // namespace survey
