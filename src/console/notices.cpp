// Notices, placed after the console text they follow.
#include "console/notices.h"

#include <algorithm>

#include "console/characters.h"
#include "platform/utf8.h"

namespace survey {
namespace {

constexpr size_t kExcerptBytes = 32;

}  // namespace

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
  size_t at = 0;
  while (at < text.size()) {
    size_t length = utf8SequenceLength(text, at);
    if (at + std::max<size_t>(length, 1) > kExcerptBytes) break;  // never half a character
    const unsigned char c = static_cast<unsigned char>(text[at]);
    if (isControl(c)) {
      excerpt.push_back('^');
      excerpt.push_back(caretLetter(c));
    } else if (length == 0) {
      excerpt.push_back('?');  // not UTF-8
    } else if (isC1ControlAt(text, at)) {
      char shown[8];
      excerpt.append(shown, writeC1Notation(static_cast<unsigned char>(text[at + 1]), shown));
    } else {
      excerpt.append(text.substr(at, length));
    }
    at += std::max<size_t>(length, 1);
  }
  if (at < text.size()) excerpt += "...";
  return excerpt;
}

std::string printableWords(std::string_view words) {
  size_t blank = words.size() <= kExcerptBytes ? 0 : words.rfind(' ', kExcerptBytes);
  if (blank == 0 || blank == std::string_view::npos) return printableExcerpt(words);
  return printableExcerpt(words.substr(0, blank)) + " ...";
}

}  // namespace survey
