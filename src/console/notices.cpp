// Notices, placed after the console text they follow.
#include "console/notices.h"

#include <algorithm>

#include "console/characters.h"

namespace survey {
namespace {

constexpr size_t kExcerptBytes = 32;

// The byte count of the whole, valid UTF-8 character that `text` starts with, or 0.
size_t utf8Length(std::string_view text) {
  const unsigned char lead = static_cast<unsigned char>(text[0]);
  if (lead < 0x80) return 1;
  size_t length = lead >= 0xc2 && lead <= 0xdf   ? 2
                  : lead >= 0xe0 && lead <= 0xef ? 3
                  : lead >= 0xf0 && lead <= 0xf4 ? 4
                                                 : 0;
  if (length == 0 || text.size() < length) return 0;
  // The second byte's range rules out overlong forms, surrogates and code points past U+10FFFF.
  const unsigned char second = static_cast<unsigned char>(text[1]);
  unsigned char low = lead == 0xe0 ? 0xa0 : lead == 0xf0 ? 0x90 : 0x80;
  unsigned char high = lead == 0xed ? 0x9f : lead == 0xf4 ? 0x8f : 0xbf;
  if (second < low || second > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xc0) != 0x80) return 0;
  }
  return length;
}

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
    size_t length = utf8Length(text.substr(at));
    if (at + std::max<size_t>(length, 1) > kExcerptBytes) break;  // never half a character
    const unsigned char c = static_cast<unsigned char>(text[at]);
    if (isControl(c)) {
      excerpt.push_back('^');
      excerpt.push_back(caretLetter(c));
    } else if (length == 0 || (c == 0xc2 && static_cast<unsigned char>(text[at + 1]) < 0xa0)) {
      excerpt.push_back('?');  // not UTF-8, or a control character of the U+0080 block
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
