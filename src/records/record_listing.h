// Listing the record file on the console.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "console/console_stream.h"
#include "platform/env.h"
#include "records/record_store.h"

namespace survey {

// Turns file bytes into safe console lines: a carriage return before a line end is dropped,
// control characters other than tab show in caret notation ("^[", "^?"), C1 controls (bytes
// C2 80 to C2 9F) as "<U+009B>" and the like; other bytes from 0x80 pass.
// Filter the file in pieces of any size, then finish.
class ListingFilter {
 public:
  // The shown form of `bytes`: `bytes` itself when it shows unchanged, as plain text does,
  // else a view of a buffer of the filter's own, valid until the next call.
  std::string_view filter(std::string_view bytes);
  // Ends the last line if the file did not, then adds the listing's closing empty line.
  void finish(std::string* out);

 private:
  // Writes the shown form of `bytes` to `out`, which has room for four times their size and 8
  // bytes; returns the count written.
  size_t filterInto(std::string_view bytes, char* out);
  char* buffer(size_t size);

  std::unique_ptr<char[]> buffer_;
  size_t bufferSize_ = 0;
  bool carriageReturnPending_ = false;
  bool leadPending_ = false;  // the piece before ended with a C1 control's lead byte
  bool atLineStart_ = true;
};

// How a listing went: whether the record file opened, and whether a read failed on the way.
struct ListingOutcome {
  Status opened;
  Status read;
};

// Lists the whole record file, as it stands between two appends, on `stream` and then one
// empty line; lists nothing when the file cannot be opened, and stops at a read that fails.
ListingOutcome listRecords(FileSystem& files, ConsoleStream& stream, StoreReports& reports);

}  // namespace survey
