// The record layout as text patterns to match: its fixed texts, with contact texts and rules
// filled in, and the fields between them, compiled into flat steps.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "reader/record_row.h"
#include "records/record_layout.h"

namespace survey {

enum class FieldKind : uint8_t { kWord, kFigure, kTimeLine, kDay, kMonthName, kYear };

// A fixed text, in the patterns' one arena.
struct FixedText {
  const char* data;
  uint32_t size;
};

// A field, then the fixed text up to the next field or the line end. The tail is never empty;
// its first byte, `stop`, is one the field cannot hold and ends the field's scan, so only the
// `rest` of the tail is left to compare (the whole tail after the time line, which is not
// scanned).
struct PatternStep {
  uint16_t field;
  FieldKind kind;
  char stop;
  FixedText rest;
};

// A line: a head of fixed text, then its steps. A line of fixed text only that the next line
// follows in the same way also has the text of both and of any such lines after them, which one
// compare can match: `runLines` lines (0: none).
struct LinePattern {
  FixedText head;
  const PatternStep* steps;
  const PatternStep* stepsEnd;
  FixedText run{nullptr, 0};
  uint32_t runLines = 0;
};

struct RecordPatterns {
  struct Field {
    std::string name;
    FieldKind kind;
    int column;                       // -1: checked, not exported
    std::vector<size_t> recordLines;  // the record lines that show it, from 0
  };

  std::vector<Field> fields;
  // Each line with its line end, LF in [0] and CRLF in [1]; then the same with the blanks at its
  // end removed, as an editor that trims them leaves it (`hasTrimmed`: the line ends in blanks).
  LinePattern lines[2][kRecordLineCount];
  LinePattern trimmed[2][kRecordLineCount];
  bool hasTrimmed[kRecordLineCount] = {};
  int fieldOfColumn[kColumnCount] = {};
  size_t dayLine = 0;  // the record line with the start date, from 0
  // The time line around its "hh:mm AM" part, and its length.
  std::string timePrefix, timeSuffix;
  size_t timeLineLength = 0;
  size_t leastRecordSize = 0;  // in bytes, so a file holds at most its size over this in records
  std::string_view monthNames[12];

  // Where the fixed texts and steps live; the patterns point into them.
  std::string arena;
  std::vector<PatternStep> steps;
};

// Built once from the record writer's table; throws std::logic_error if that has a field which
// cannot be read back.
const RecordPatterns& recordPatterns();

}  // namespace survey
