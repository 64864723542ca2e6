// Everything that lives for one run of the program, shared by the screens and actions.
#pragma once

#include <string>
#include <string_view>

#include "console/console_stream.h"
#include "console/input_reader.h"
#include "console/start_clock.h"
#include "platform/env.h"
#include "questionnaire/survey_answers.h"

namespace survey {

// How an option ended: back to the main loop, at the end of input, or the run is over with
// a failure status (the listing could not open the record file).
enum class Flow { kContinue, kInputEnded, kAbort };

class Session {
 public:
  explicit Session(Env& env);

  ConsoleStream& stream() { return stream_; }
  InputReader& reader() { return reader_; }
  FileSystem& files() { return env_.files(); }
  Terminal& terminal() { return env_.terminal(); }
  const StartClock& startClock() const { return startClock_; }

  // Writes one line to standard error, after the console lines written so far.
  void notice(std::string_view text);
  // The run will end with status 1 (a record not saved, an unfinished questionnaire).
  void markFailed() { failed_ = true; }
  bool failed() const { return failed_; }

  // Reads a whole number at the prompt called `promptName`. Text with no digit gives 0 and a
  // notice. Returns false at the end of input.
  bool readWholeNumber(std::string_view promptName, int* value);

  SurveyAnswers answers;
  int menuOption = 0;
  int guideChoice = 0;

 private:
  Env& env_;
  ConsoleStream stream_;
  InputReader reader_;
  StartClock startClock_;
  bool failed_ = false;
};

// A short, printable excerpt of typed text for a notice.
std::string printableExcerpt(std::string_view text);

}  // namespace survey
