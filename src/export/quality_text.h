// The small text tests that the data-quality rules and their reading of dates share.
#pragma once

#include <cctype>
#include <string_view>

namespace survey {

// ASCII letters in lower case; the words compared with are ASCII, so other bytes stay as they are.
inline char lowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// `text` equals the lower-case `word` but for the case of its ASCII letters.
inline bool sameWord(std::string_view text, std::string_view word) {
  if (text.size() != word.size()) return false;
  for (size_t at = 0; at < text.size(); ++at) {
    if (lowerAscii(text[at]) != word[at]) return false;
  }
  return true;
}

inline bool allDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (std::isdigit(static_cast<unsigned char>(c)) == 0) return false;
  }
  return true;
}

inline bool allLetters(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (std::isalpha(static_cast<unsigned char>(c)) == 0 && static_cast<unsigned char>(c) < 0x80) {
      return false;
    }
  }
  return true;
}

// 1 to 12 for a month's English name or its first three letters (any case), else 0.
int monthByName(std::string_view text);

}  // namespace survey
