// The byte classes that typed input and the records built from it share.
#pragma once

#include <cstddef>
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

// Whether `second` follows the lead byte 0xC2 in a C1 control character (U+0080 to U+009F),
// which a terminal takes as a command (U+009B opens a control sequence as ESC [ does).
constexpr bool isC1Second(int second) { return second >= 0x80 && second < 0xa0; }
constexpr unsigned char kC1Lead = 0xc2;

// Whether `text[at]` begins a C1 control character.
constexpr bool isC1ControlAt(std::string_view text, size_t at) {
  return at + 1 < text.size() && static_cast<unsigned char>(text[at]) == kC1Lead &&
         isC1Second(static_cast<unsigned char>(text[at + 1]));
}

// How a screen shows the C1 control whose second byte is `second`: "<U+009B>", 8 bytes at
// `out`; returns their end.
inline char* writeC1Notation(unsigned char second, char* out) {
  static const char kHex[] = "0123456789ABCDEF";
  const char shown[8] = {'<', 'U', '+', '0', '0', kHex[second >> 4], kHex[second & 0xf], '>'};
  for (char c : shown) *out++ = c;
  return out;
}

// Whether `text` holds a character that a screen shows other than as itself: one that
// `showsAsCaret`, or a C1 control.
inline bool holdsControlCharacters(std::string_view text) {
  for (size_t at = 0; at < text.size(); ++at) {
    if (showsAsCaret(static_cast<unsigned char>(text[at])) || isC1ControlAt(text, at)) {
      return true;
    }
  }
  return false;
}

// Appends `text` to `out` with every character that `showsAsCaret` in caret notation, and C1
// controls as "<U+009B>". With `lineEndsToo`, a line feed shows as "^J" as well, for text that
// must stay on one line (a file name in a report).
inline void appendCaretNotation(std::string_view text, std::string* out, bool lineEndsToo = false) {
  for (size_t at = 0; at < text.size(); ++at) {
    unsigned char byte = static_cast<unsigned char>(text[at]);
    if (showsAsCaret(byte) || (lineEndsToo && byte == '\n')) {
      out->push_back('^');
      out->push_back(caretLetter(byte));
    } else if (isC1ControlAt(text, at)) {
      char shown[8];
      out->append(shown, writeC1Notation(static_cast<unsigned char>(text[++at]), shown));
    } else {
      out->push_back(static_cast<char>(byte));
    }
  }
}

// `text` as appendCaretNotation shows it, line feeds included: safe on one line of a report.
inline std::string shownOnOneLine(std::string_view text) {
  std::string shown;
  appendCaretNotation(text, &shown, true);
  return shown;
}

}  // namespace survey
