// The reference reader: each rule written out as directly as it reads.
#include "reader_reference.h"

#include <climits>
#include <cmath>
#include <cstdlib>

namespace survey::fuzzing {
namespace {

bool isDigitOf(int c, int base) {
  if (c >= '0' && c <= '9') return c - '0' < base;
  if (base != 16) return false;
  return (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

}  // namespace

bool isInputWhiteSpace(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int ReferenceReader::at(size_t offset) const {
  size_t index = position_ + offset;
  return index < input_.size() ? static_cast<unsigned char>(input_[index]) : -1;
}

bool ReferenceReader::skipWhiteSpace() {
  while (position_ < input_.size() && isInputWhiteSpace(at(0))) ++position_;
  lastItem_ = {};
  return position_ < input_.size();
}

size_t ReferenceReader::wordLength() const {
  size_t length = 0;
  while (at(length) >= 0 && !isInputWhiteSpace(at(length))) ++length;
  return length;
}

ReadResult ReferenceReader::take(size_t length, ReadResult result) {
  lastItem_ = input_.substr(position_, length);
  position_ += length;
  return result;
}

ReadResult ReferenceReader::wholeNumber(int* value) {
  if (!skipWhiteSpace()) return ReadResult::kEnd;
  // Sign, then "0x" hex, leading-0 octal or decimal; 15 characters at most.
  const size_t limit = InputReader::kWholeNumberLimit;
  size_t length = at(0) == '+' || at(0) == '-' ? 1 : 0;
  int base = 10;
  size_t digitsFrom = length;
  if (at(length) == '0') {
    base = 8;
    ++length;
    if (length < limit && (at(length) == 'x' || at(length) == 'X')) {
      base = 16;
      ++length;
    }
  }
  while (length < limit && isDigitOf(at(length), base)) ++length;
  if (length == digitsFrom) {
    *value = 0;
    return take(wordLength(), ReadResult::kNoNumber);
  }
  // The C library reads the same text the same way; 15 characters fit in a long long.
  long long parsed =
      std::strtoll(std::string(input_.substr(position_, length)).c_str(), nullptr, 0);
  *value = parsed > INT_MAX ? INT_MAX : parsed < INT_MIN ? INT_MIN : static_cast<int>(parsed);
  return take(length, ReadResult::kValue);
}

ReadResult ReferenceReader::real(double* value) {
  if (!skipWhiteSpace()) return ReadResult::kEnd;
  *value = 0;
  size_t length = at(0) == '+' || at(0) == '-' ? 1 : 0;
  size_t digits = 0;
  for (; isDigitOf(at(length), 10); ++length) ++digits;
  if (at(length) == '.') {
    for (++length; isDigitOf(at(length), 10); ++length) ++digits;
  }
  if (digits > 0 && (at(length) == 'e' || at(length) == 'E')) {
    size_t exponent = length + 1;
    if (at(exponent) == '+' || at(exponent) == '-') ++exponent;
    if (isDigitOf(at(exponent), 10)) {
      while (isDigitOf(at(exponent), 10)) ++exponent;
      length = exponent;
    }
  }
  if (digits == 0 || length > InputReader::kRealNumberLimit) {
    return take(wordLength(), ReadResult::kNoNumber);
  }
  double parsed = std::strtod(std::string(input_.substr(position_, length)).c_str(), nullptr);
  if (std::isinf(parsed)) return take(wordLength(), ReadResult::kNoNumber);
  *value = parsed;
  return take(length, ReadResult::kValue);
}

ReadResult ReferenceReader::word(std::string* word, bool* cut) {
  word->clear();
  *cut = false;
  if (!skipWhiteSpace()) return ReadResult::kEnd;
  size_t length = wordLength();
  *cut = length > InputReader::kWordLimit;
  size_t kept = length;
  if (*cut) {
    // Characters from the start: a lead byte with the continuation bytes it announces, or a
    // single byte; the cut goes before a character whose bytes within the limit are a start
    // of one that ends past it.
    kept = 0;
    for (size_t at = 0; at < InputReader::kWordLimit;) {
      const unsigned char lead = static_cast<unsigned char>(input_[position_ + at]);
      size_t size = lead >= 0xF0 && lead < 0xF8   ? 4
                    : lead >= 0xE0 && lead < 0xF0 ? 3
                    : lead >= 0xC0 && lead < 0xE0 ? 2
                                                  : 1;
      for (size_t next = 1; next < size && at + next < InputReader::kWordLimit; ++next) {
        if ((static_cast<unsigned char>(input_[position_ + at + next]) & 0xC0) != 0x80) size = 1;
      }
      at += size;
      if (at <= InputReader::kWordLimit) kept = at;
    }
  }
  word->assign(input_.substr(position_, kept));
  return take(length, ReadResult::kValue);
}

}  // namespace survey::fuzzing
