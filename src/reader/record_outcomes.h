// What reading a record file gives: records, as rows of values, and faults, lines not taken.
#pragma once

#include <cstdint>
#include <string_view>

#include "reader/record_row.h"

namespace survey {

// Why lines were not exported, in the order of faultText's texts. kNone and
// kIncomplete (the bytes end before a match is decided) are never reported.
enum class Fault : uint8_t {
  kNone,
  kIncomplete,
  kLayout,
  kNotAWord,
  kLongWord,
  kNotUtf8,
  kFigure,
  kRepeated,
  kClock,
  kNoDate,
  kTooLong,
  kNoLineEnd,
  kCutShort,
  kNotInRecord
};

// Lines that were not exported: a record that does not match the layout, or lines outside any
// record. `message` says which ("record skipped: ...", "lines skipped: ...") and why.
struct SkippedLines {
  uint64_t firstLine;
  uint64_t lastLine;
  std::string_view message;
  Fault fault;
};

// What a file showed that changes no data and was accepted, and what it may need.
struct FileNotes {
  bool byteOrderMark = false;     // a UTF-8 byte-order mark at the start, passed over
  uint64_t recordMarks = 0;       // the same before a record's first line later on (files joined)
  uint64_t blankLinesAtEnd = 0;   // empty or blank lines after the last record, passed over
  bool utf16 = false;             // a UTF-16 byte-order mark at the start
  bool noFinalLineEnd = false;    // the last record's last line ends with the file
  uint64_t trimmedLines = 0;      // lines read without the blanks that ended them
  uint64_t convertedRecords = 0;  // records with answers read in the legacy code page
  uint64_t notUtf8 = 0;           // answers neither UTF-8 nor (if named) in the code page
};

class RecordSink {
 public:
  virtual ~RecordSink() = default;
  // The row's views last only for the call.
  virtual void record(const RecordRow& row) = 0;
  virtual void skipped(const SkippedLines& lines) = 0;
};

// Why, as the words after "record skipped: line N (record line M)" say it.
const char* faultText(Fault fault);

}  // namespace survey
