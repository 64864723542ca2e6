// A plain reading of the typed-input rules over a whole string, for checking the streaming
// readers against. It sees all of its input at once, so it has no buffer to get wrong.
#pragma once

#include <string>
#include <string_view>

#include "console/input_reader.h"

namespace survey::fuzzing {

class ReferenceReader {
 public:
  explicit ReferenceReader(std::string_view input) : input_(input) {}

  ReadResult wholeNumber(int* value);
  ReadResult real(double* value);
  ReadResult word(std::string* word, bool* cut);

  // What the last read took after the white space: the number, or the dropped word.
  std::string_view lastItem() const { return lastItem_; }
  std::string_view rest() const { return input_.substr(position_); }

 private:
  bool skipWhiteSpace();
  int at(size_t offset) const;  // the byte `offset` past the position, or -1
  size_t wordLength() const;
  ReadResult take(size_t length, ReadResult result);

  std::string_view input_;
  size_t position_ = 0;
  std::string_view lastItem_;
};

bool isInputWhiteSpace(int c);

}  // namespace survey::fuzzing
