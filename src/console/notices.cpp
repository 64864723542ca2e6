// Notices, placed after the console text they follow.
#include "console/notices.h"

namespace survey {

void Notices::notice(std::string_view text) {
  stream_.flushLines();
  std::string line(program_);
  line.append(": ");
  line.append(text);
  line.push_back('\n');
  errors_.write(line);  // nowhere left to report a failure of standard error
}

void Notices::attach(std::string_view text) {
  stream_.flushLines();
  errors_.write(text);
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
