// Line ends as a Windows text file stores them.
#pragma once

#include <string>
#include <string_view>

namespace survey {

// `text` with each '\n' written as "\r\n"; a "\r\n" already there stays one.
inline std::string withCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  char previous = '\0';
  for (char c : text) {
    if (c == '\n' && previous != '\r') out.push_back('\r');
    out.push_back(c);
    previous = c;
  }
  return out;
}

}  // namespace survey
