// The byte classes that typed input and the records built from it share.
#pragma once

#include <string>
#include <string_view>

namespace survey {

// White space ends a typed word (blank, tab, line feed, vertical tab, form feed, carriage
// return), so no answer holds one.
constexpr bool isWhiteSpace(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

constexpr bool isDigit(int c) { return c >= '0' && c <= '9'; }

// The control characters (below 0x20, and DEL).
constexpr bool isControl(int c) { return (c >= 0 && c < 0x20) || c == 0x7f; }

// Whether a screen shows `c` in caret notation rather than as itself: every control character
// but tab and line feed, so that shown text cannot drive the terminal.
constexpr bool showsAsCaret(int c) { return isControl(c) && c != '\t' && c != '\n'; }

// The character after the caret: "^[" for ESC, "^A" for Ctrl+A, "^?" for DEL.
constexpr char caretLetter(int c) { return static_cast<char>(c ^ 0x40); }

// Appends `text` to `out` with every character that `showsAsCaret` in caret notation.
inline void appendCaretNotation(std::string_view text, std::string* out) {
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (showsAsCaret(byte)) {
      out->push_back('^');
      out->push_back(caretLetter(byte));
    } else {
      out->push_back(c);
    }
  }
}

}  // namespace survey
