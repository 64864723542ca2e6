// The three readers of typed input and the buffer under them.
#include "console/input_reader.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "console/characters.h"
#include "platform/utf8.h"

namespace survey {
namespace {

// Piped answers come in reads of this size, each into a page-aligned place of the buffer. The
// unread rest of the last read (at most a number and the text glued to it: the readers look
// no further ahead) goes in the page before it.
constexpr size_t kReadSize = 64 * 1024;

// The value of `c` as a digit of `base`, or -1.
int digitValue(int c, int base) {
  int value = -1;
  if (c >= '0' && c <= '9') value = c - '0';
  if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return value < base ? value : -1;
}

}  // namespace

InputReader::InputReader(ConsoleInput& input, std::function<void()> beforeWait)
    : input_(input),
      beforeWait_(std::move(beforeWait)),
      buffer_(kPageSize + kReadSize),
      position_(kPageSize),
      end_(kPageSize) {}

int InputReader::peek(size_t offset) {
  while (position_ + offset >= end_) {
    if (ended_) return -1;
    const size_t unread = end_ - position_;
    std::memmove(buffer_.data() + kPageSize - unread, buffer_.data() + position_, unread);
    position_ = kPageSize - unread;
    end_ = kPageSize;
    if (beforeWait_) beforeWait_();
    size_t got = input_.read(buffer_.data() + end_, kReadSize);
    if (got == 0) ended_ = true;  // the end of input stays the end
    end_ += got;
  }
  return static_cast<unsigned char>(buffer_.data()[position_ + offset]);
}

bool InputReader::skipWhiteSpace() {
  for (;;) {
    int c = peek();
    if (c < 0) return false;
    if (!isWhiteSpace(c)) return true;
    consume(1);
  }
}

void InputReader::dropWord(std::string* dropped) {
  for (int c = peek(); c >= 0 && !isWhiteSpace(c); c = peek()) {
    if (dropped->size() < kExcerptLimit) dropped->push_back(static_cast<char>(c));
    consume(1);
  }
}

void InputReader::peekGlued(std::string* glued) {
  glued->clear();
  for (int c;
       glued->size() < kExcerptLimit && (c = peek(glued->size())) >= 0 && !isWhiteSpace(c);) {
    glued->push_back(static_cast<char>(c));
  }
}

std::string InputReader::newWordsOnLine() {
  const char* bytes = buffer_.data();
  size_t lineEnd = position_;
  while (lineEnd < end_ && bytes[lineEnd] != '\n') ++lineEnd;
  size_t from = position_;
  if (namedThrough_ > consumed_) {
    from += static_cast<size_t>(std::min<uint64_t>(namedThrough_ - consumed_, lineEnd - from));
  }
  namedThrough_ = std::max<uint64_t>(namedThrough_, consumed_ + (lineEnd - position_));
  std::string words;
  bool blankBefore = false;
  for (size_t i = from; i < lineEnd; ++i) {
    char c = bytes[i];
    if (isWhiteSpace(static_cast<unsigned char>(c))) {
      blankBefore = !words.empty();
      continue;
    }
    if (blankBefore) words.push_back(' ');
    blankBefore = false;
    words.push_back(c);
  }
  return words;
}

ReadResult InputReader::readWholeNumber(int* value, NumberText* text) {
  text->typed.clear();
  text->glued.clear();
  if (!skipWhiteSpace()) return ReadResult::kEnd;
  size_t length = 0;
  bool negative = false;
  if (peek() == '+' || peek() == '-') {
    negative = peek() == '-';
    ++length;
  }
  int base = 10;
  bool anyDigit = false;
  if (peek(length) == '0') {
    anyDigit = true;
    base = 8;
    ++length;
    if (length < kWholeNumberLimit && (peek(length) == 'x' || peek(length) == 'X')) {
      base = 16;
      ++length;
    }
  }
  // At most 15 characters: the magnitude stays far inside 64 bits.
  uint64_t magnitude = 0;
  for (int digit; length < kWholeNumberLimit && (digit = digitValue(peek(length), base)) >= 0;
       ++length) {
    magnitude = magnitude * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    anyDigit = true;
  }
  if (!anyDigit) {
    *value = 0;
    dropWord(&text->typed);
    return ReadResult::kNoNumber;
  }
  text->typed.assign(buffer_.data() + position_, length);
  consume(length);
  peekGlued(&text->glued);
  if (negative) {
    *value = magnitude > uint64_t{1} << 31 ? INT_MIN
                                           : static_cast<int>(-static_cast<int64_t>(magnitude));
  } else {
    *value = magnitude > static_cast<uint64_t>(INT_MAX) ? INT_MAX : static_cast<int>(magnitude);
  }
  return ReadResult::kValue;
}

ReadResult InputReader::readReal(double* value, NumberText* text) {
  text->typed.clear();
  text->glued.clear();
  if (!skipWhiteSpace()) return ReadResult::kEnd;
  // Measure the number's shape without consuming; past 27 characters it is too long anyway.
  const size_t scanLimit = kRealNumberLimit + 1;
  size_t length = 0;
  size_t digits = 0;
  if (peek() == '+' || peek() == '-') ++length;
  for (; length < scanLimit && isDigit(peek(length)); ++length) ++digits;
  if (length < scanLimit && peek(length) == '.') {
    ++length;
    for (; length < scanLimit && isDigit(peek(length)); ++length) ++digits;
  }
  if (digits > 0 && length < scanLimit && (peek(length) == 'e' || peek(length) == 'E')) {
    size_t exponent = length + 1;
    if (peek(exponent) == '+' || peek(exponent) == '-') ++exponent;
    if (isDigit(peek(exponent))) {
      while (exponent < scanLimit && isDigit(peek(exponent))) ++exponent;
      length = exponent;
    }
  }
  if (digits == 0 || length > kRealNumberLimit) {
    *value = 0;
    dropWord(&text->typed);
    return ReadResult::kNoNumber;
  }
  text->typed.assign(buffer_.data() + position_, length);
  double parsed = std::strtod(text->typed.c_str(), nullptr);
  if (std::isinf(parsed)) {
    *value = 0;
    text->typed.clear();
    dropWord(&text->typed);
    return ReadResult::kNoNumber;
  }
  consume(length);
  peekGlued(&text->glued);
  *value = parsed;
  return ReadResult::kValue;
}

ReadResult InputReader::readWord(std::string* word, bool* cut) {
  word->clear();
  *cut = false;
  if (!skipWhiteSpace()) return ReadResult::kEnd;
  for (int c = peek(); c >= 0 && !isWhiteSpace(c); c = peek()) {
    // Take the buffered run of the word at once.
    size_t run = 0;
    while (position_ + run < end_ &&
           !isWhiteSpace(static_cast<unsigned char>(buffer_.data()[position_ + run]))) {
      ++run;
    }
    size_t room = kWordLimit - std::min(kWordLimit, word->size());
    word->append(buffer_.data() + position_, std::min(run, room));
    if (run > room) *cut = true;
    consume(run);
  }
  if (*cut) word->resize(wholeCharactersLength(*word));
  return ReadResult::kValue;
}

}  // namespace survey
