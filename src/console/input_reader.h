// Reading the console's typed input: whole numbers, real numbers and single words.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/env.h"
#include "platform/page_buffer.h"

namespace survey {

// What a read found. On kNoNumber the value is 0 and the offending word has been discarded.
enum class ReadResult { kValue, kNoNumber, kEnd };

// The text of a number read, for notices.
struct NumberText {
  // The number as typed; with no number, the start of the word that was dropped.
  std::string typed;
  // After a number, the start of the text glued to it up to the next white space ("36,5"
  // leaves ",5"), which the next read takes; empty when white space or the end follows.
  std::string glued;
};

// Splits console input into items. Every read skips white space first; what follows the
// item stays in the input for the next read. `beforeWait` runs before each blocking read of
// the console (the console stream flushes there, so the prompt is visible first).
class InputReader {
 public:
  static constexpr size_t kWholeNumberLimit = 15;
  static constexpr size_t kRealNumberLimit = 27;
  static constexpr size_t kWordLimit = 4096;
  static constexpr size_t kExcerptLimit = 40;  // the most bytes of a NumberText field

  InputReader(ConsoleInput& input, std::function<void()> beforeWait);

  // Optional sign, then "0x"/"0X" hex, a leading-0 octal or decimal digits, at most 15
  // characters, clamped to the 32-bit range. With no digit the word is dropped.
  ReadResult readWholeNumber(int* value, NumberText* text);

  // Optional sign, digits with an optional point and fraction, an optional exponent; at most
  // 27 characters. Longer, digit-less or out-of-range text gives kNoNumber.
  ReadResult readReal(double* value, NumberText* text);

  // One word up to the next white space. A word longer than kWordLimit bytes keeps its first
  // kWordLimit bytes, less a UTF-8 character those would cut; the rest is dropped and `*cut`
  // is set.
  ReadResult readWord(std::string* word, bool* cut);

  // The words still waiting on the line of the last read, as far as that line has arrived
  // (this never waits for input), joined by single blanks. Words that an earlier call gave are
  // left out, so that each is named once.
  std::string newWordsOnLine();

 private:
  // The byte `offset` places ahead, or -1 past the end of input.
  int peek(size_t offset = 0);
  void consume(size_t count) {
    position_ += count;
    consumed_ += count;
  }
  bool skipWhiteSpace();
  // Drops the rest of the current word, appending at most a short excerpt to `dropped`.
  void dropWord(std::string* dropped);
  // Sets `glued` to the start of the current word, without taking it.
  void peekGlued(std::string* glued);

  ConsoleInput& input_;
  std::function<void()> beforeWait_;
  PageBuffer buffer_;
  size_t position_;
  size_t end_;
  bool ended_ = false;
  uint64_t consumed_ = 0;      // bytes of input taken so far
  uint64_t namedThrough_ = 0;  // newWordsOnLine gave the input up to here
};

}  // namespace survey
