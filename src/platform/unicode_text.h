// Text converted between the program's UTF-8 and the UTF-16 of the Windows console and file
// calls, also when it comes in pieces (one console read or one write at a time).
#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace survey {

// UTF-16 to UTF-8, piece by piece: a surrogate pair split between two pieces is joined.
// A surrogate that is not half of a pair becomes U+FFFD.
class Utf16ToUtf8 {
 public:
  // Appends the UTF-8 of `units` to `utf8`; a high surrogate at the end waits for the next piece.
  void convert(std::u16string_view units, std::string* utf8);
  // Ends the text: a high surrogate still waiting becomes U+FFFD.
  void finish(std::string* utf8);

 private:
  char16_t waitingHigh_ = 0;
};

// UTF-8 to UTF-16, piece by piece: a character split between two pieces is joined. Each
// ill-formed part (a stray byte, an overlong form, a surrogate, a cut character) becomes one
// U+FFFD, as Unicode recommends, or, given a legacy code page, each of its bytes becomes its
// character there: text from before UTF-8 (old record files) then reads as it was written.
class Utf8ToUtf16 {
 public:
  Utf8ToUtf16() = default;
  // `legacy` holds the characters of the bytes 0x80 to 0xFF, 128 units.
  explicit Utf8ToUtf16(std::u16string legacy) : legacy_(std::move(legacy)) {}

  // Appends the UTF-16 of `bytes` to `units`; an unfinished character waits for the next piece.
  void convert(std::string_view bytes, std::u16string* units);
  // Ends the text: an unfinished character still waiting is ill-formed.
  void finish(std::u16string* units);

 private:
  void emit(char32_t code, std::u16string* units);
  // Replaces the ill-formed part in `part_` and forgets it.
  void replacePart(std::u16string* units);

  std::u16string legacy_;       // empty: U+FFFD
  unsigned char part_[4] = {};  // the bytes of the unfinished character
  int partSize_ = 0;
  char32_t code_ = 0;         // its bits so far
  int missing_ = 0;           // the continuation bytes it still needs
  unsigned char low_ = 0x80;  // the range its next continuation byte must fall in
  unsigned char high_ = 0xBF;
};

// Whole texts, for paths, arguments and system messages.
std::u16string toUtf16(std::string_view utf8);
std::string toUtf8(std::u16string_view utf16);

// Text typed at a console, one console read at a time, as the program reads it: UTF-8 with
// LF line ends. A read that starts a line with Ctrl+Z is the end of input, as a console's
// byte reads treat it; Ctrl+Z elsewhere is passed on as typed.
class TypedText {
 public:
  // Appends the text of one read to `utf8`; false when the read is the end of input. A CR at
  // the end of a read waits for the next one, to see whether an LF follows.
  bool take(std::u16string_view read, std::string* utf8);

 private:
  Utf16ToUtf8 converter_;
  bool atLineStart_ = true;
  bool waitingCr_ = false;
};

}  // namespace survey
