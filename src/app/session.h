// Everything that lives for one run of the program, shared by the menu's actions.
#pragma once

#include <memory>
#include <string>

#include "console/console_stream.h"
#include "console/input_reader.h"
#include "console/notices.h"
#include "console/prompt.h"
#include "console/start_clock.h"
#include "console/terminal_input.h"
#include "platform/env.h"
#include "questionnaire/survey_answers.h"
#include "records/record_store.h"

namespace survey {

// How an option ended: back to the main loop, at the end of input, or the run is over with
// a failure status (the listing could not open the record file).
enum class Flow { kContinue, kInputEnded, kAbort };

class Session {
 public:
  explicit Session(Env& env);

  Console& console() { return console_; }
  ConsoleStream& stream() { return stream_; }
  Notices& notices() { return notices_; }
  FileSystem& files() { return env_.files(); }
  Terminal& terminal() { return env_.terminal(); }
  const StartClock& startClock() const { return startClock_; }

  void notice(std::string_view text) { notices_.notice(text); }
  // The run will end with status 1 (a record not saved, an unfinished questionnaire).
  void markFailed() { failed_ = true; }
  bool failed() const { return failed_; }

  SurveyAnswers answers;
  int menuOption = 0;
  int guideChoice = 0;
  StoreMemory storeMemory;  // what the record store keeps from one save to the next

 private:
  Env& env_;
  ConsoleStream stream_;
  std::unique_ptr<TerminalInput> typed_;  // the typed lines when a line editor reads them
  InputReader reader_;
  Notices notices_;
  Console console_;
  StartClock startClock_;
  bool failed_ = false;
};

}  // namespace survey
