// Lines split out of the console input, for the checks of typed answers.
#include "platform/console_line_editor.h"

#include <csignal>
#include <cstdlib>

namespace survey {

bool ConsoleLineEditor::nextLine(std::string* line) {
  for (;;) {
    const size_t end = pending_.find('\n');
    if (end != std::string::npos) {
      line->assign(pending_, 0, end);
      pending_.erase(0, end + 1);
      if (!line->empty() && line->back() == '\r') line->pop_back();
      return true;
    }
    char buffer[4096];
    const size_t got = ended_ ? 0 : input_.read(buffer, sizeof buffer);
    if (got == 0) {
      ended_ = true;
      if (pending_.empty()) return false;
      line->swap(pending_);
      pending_.clear();
      return true;
    }
    pending_.append(buffer, got);
  }
}

LineRead ConsoleLineEditor::readLine(std::string_view prompt, int /*history*/, std::string* line) {
  show(prompt);
  return nextLine(line) ? LineRead::kLine : LineRead::kEnd;
}

LineRead ConsoleLineEditor::readKey(char* key) {
  std::string line;
  if (!nextLine(&line)) return LineRead::kEnd;
  *key = line.empty() ? '\r' : line[0];
  return LineRead::kLine;
}

void ConsoleLineEditor::interrupt() {
  std::raise(SIGINT);
  std::_Exit(130);  // where SIGINT is ignored, end as an interrupted program ends
}

}  // namespace survey
