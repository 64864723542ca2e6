// Whole-number choices: a word with no digit is reported and read as 0.
#include "console/prompt.h"

#include <string>

namespace survey {

bool readWholeNumber(Console& console, std::string_view promptName, int* value) {
  std::string rejected;
  switch (console.reader.readWholeNumber(value, &rejected)) {
    case ReadResult::kEnd:
      return false;
    case ReadResult::kNoNumber:
      console.notices.notice(std::string(promptName) + ": \"" + printableExcerpt(rejected) +
                             "\" is not a whole number; 0 is used");
      return true;
    case ReadResult::kValue:
      return true;
  }
  return true;
}

}  // namespace survey
