// Reading the console's typed input: whole numbers, real numbers and single words.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/env.h"

namespace survey {

// What a read found. On kNoNumber the value is 0 and the offending word has been discarded.
enum class ReadResult { kValue, kNoNumber, kEnd };

// Splits console input into items. Every read skips white space first; what follows the
// item stays in the input for the next read. `beforeWait` runs before each blocking read of
// the console (the console stream flushes there, so the prompt is visible first).
class InputReader {
 public:
  static constexpr size_t kWholeNumberLimit = 15;
  static constexpr size_t kRealNumberLimit = 27;
  static constexpr size_t kWordLimit = 4096;

  InputReader(ConsoleInput& input, std::function<void()> beforeWait);

  // Optional sign, then "0x"/"0X" hex, a leading-0 octal or decimal digits, at most 15
  // characters, clamped to the 32-bit range. With no digit, `*rejected` is the word dropped.
  ReadResult readWholeNumber(int* value, std::string* rejected);

  // Optional sign, digits with an optional point and fraction, an optional exponent; at most
  // 27 characters. Longer, digit-less or out-of-range text gives kNoNumber.
  ReadResult readReal(double* value, std::string* rejected);

  // One word up to the next white space. A word longer than kWordLimit bytes keeps its first
  // kWordLimit bytes, less a UTF-8 character those would cut; the rest is dropped and `*cut`
  // is set.
  ReadResult readWord(std::string* word, bool* cut);

 private:
  // The byte `offset` places ahead, or -1 past the end of input.
  int peek(size_t offset = 0);
  void consume(size_t count) { position_ += count; }
  bool skipWhiteSpace();
  // Drops the rest of the current word, appending at most a short excerpt to `dropped`.
  void dropWord(std::string* dropped);

  ConsoleInput& input_;
  std::function<void()> beforeWait_;
  std::vector<char> buffer_;
  size_t position_ = 0;
  size_t end_ = 0;
  bool ended_ = false;
};

}  // namespace survey
