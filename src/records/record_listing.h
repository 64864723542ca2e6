// Listing the record file on the console.
#pragma once

#include <string>
#include <string_view>

#include "console/session.h"

namespace survey {

// Turns file bytes into safe console lines: a carriage return before a line end is dropped,
// control characters other than tab show in caret notation ("^[", "^?"), bytes from 0x80 pass.
// Feed the file in pieces of any size, then finish.
class ListingFilter {
 public:
  // Appends the shown form of `bytes` to `out`.
  void feed(std::string_view bytes, std::string* out);
  // The shown form of `bytes`: `bytes` itself when it shows unchanged, as plain text does,
  // else a view of `scratch`, which it overwrites.
  std::string_view filter(std::string_view bytes, std::string* scratch);
  // Ends the last line if the file did not, then adds the listing's closing empty line.
  void finish(std::string* out);

 private:
  bool carriageReturnPending_ = false;
  bool atLineStart_ = true;
};

// Lists the whole record file and then one empty line. When the file cannot be opened, writes
// "Cannot open file." and ends the run (kAbort).
Flow listRecords(Session& session);

}  // namespace survey
