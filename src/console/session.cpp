// The run's shared state and its notices on standard error.
#include "console/session.h"

namespace survey {

Session::Session(Env& env)
    : env_(env),
      stream_(env.output(), env.terminal().outputIsTerminal()),
      reader_(env.input(), [this] { stream_.flushAll(); }),
      startClock_(takeStartClock(env.clock())) {}

void Session::notice(std::string_view text) {
  stream_.flushLines();
  std::string line = "survey: ";
  line.append(text);
  line.push_back('\n');
  env_.errors().write(line);  // nowhere left to report a failure of standard error
}

bool Session::readWholeNumber(std::string_view promptName, int* value) {
  std::string rejected;
  switch (reader_.readWholeNumber(value, &rejected)) {
    case ReadResult::kEnd:
      return false;
    case ReadResult::kNoNumber:
      notice(std::string(promptName) + ": \"" + printableExcerpt(rejected) +
             "\" is not a whole number; 0 is used");
      return true;
    case ReadResult::kValue:
      return true;
  }
  return true;
}

std::string printableExcerpt(std::string_view text) {
  std::string excerpt;
  for (char c : text.substr(0, 32)) {
    excerpt.push_back(c >= 0x20 && c < 0x7f ? c : '?');
  }
  if (text.size() > 32) excerpt += "...";
  return excerpt;
}

}  // namespace survey
