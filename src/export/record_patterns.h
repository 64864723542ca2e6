// The record layout as text patterns to match: its fixed texts, with contact texts and rules
// filled in, and the fields between them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "export/export_row.h"
#include "records/record_layout.h"

namespace survey {

enum class FieldKind { kWord, kFigure, kTimeLine, kDay, kMonthName, kYear };

// A head of fixed text, then each field followed by the fixed text up to the next field.
struct TextPattern {
  struct Segment {
    size_t field;
    FieldKind kind;
    std::string tail;  // never empty; its first byte is one the field cannot hold
  };
  std::string head;
  std::vector<Segment> segments;
};

struct RecordPatterns {
  struct Field {
    std::string name;
    FieldKind kind;
    int column;  // -1: checked, not exported
  };

  std::vector<Field> fields;
  // Each line with its line end, LF in [0] and CRLF in [1].
  TextPattern lines[2][kRecordLineCount];
  int fieldOfColumn[kColumnCount] = {};
  size_t dayLine = 0;  // the record line with the start date, from 0
  // The time line around its "hh:mm AM" part, and its length.
  std::string timePrefix, timeSuffix;
  size_t timeLineLength = 0;
  std::string_view monthNames[12];
};

// Built once from the record writer's table; throws std::logic_error if that has a field which
// cannot be read back.
const RecordPatterns& recordPatterns();

}  // namespace survey
