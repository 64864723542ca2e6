// Turning the record writer's table of lines into patterns.
#include "export/record_patterns.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>

#include "console/characters.h"
#include "console/start_clock.h"
#include "console/template.h"
#include "console/texts.h"
#include "export/field_values.h"

namespace survey {
namespace {

// The layout's fields that are not text answers exported under their own name. An empty
// column: the field is checked but not exported.
struct SpecialField {
  std::string_view name;
  FieldKind kind;
  std::string_view column;
};

const SpecialField kSpecialFields[] = {
    {"A", FieldKind::kFigure, "anotherYearAge"},
    {"S+A", FieldKind::kFigure, "sameAgePlusAnotherYearAge"},
    {"A*A", FieldKind::kFigure, ""},
    {"A+A", FieldKind::kFigure, ""},
    {"timeLine", FieldKind::kTimeLine, ""},
    {"day", FieldKind::kDay, ""},
    {"monthName", FieldKind::kMonthName, ""},
    {"year", FieldKind::kYear, ""},
};

int columnNamed(std::string_view name) {
  for (size_t column = kRunTimeColumn + 1; column < kColumnCount; ++column) {
    if (kColumnNames[column] == name) return static_cast<int>(column);
  }
  return -1;
}

class PatternBuilder {
 public:
  RecordPatterns build();

 private:
  TextPattern compileLine(size_t line);
  size_t fieldNamed(std::string_view name);

  RecordPatterns patterns_;
};

RecordPatterns PatternBuilder::build() {
  for (size_t line = 0; line < kRecordLineCount; ++line) {
    TextPattern body = compileLine(line);
    for (int crlf = 0; crlf < 2; ++crlf) {
      TextPattern& pattern = patterns_.lines[crlf][line];
      pattern = body;
      (pattern.segments.empty() ? pattern.head : pattern.segments.back().tail) +=
          crlf ? "\r\n" : "\n";
    }
  }
  for (size_t column = kRunTimeColumn + 1; column < kColumnCount; ++column) {
    auto field = std::find_if(patterns_.fields.begin(), patterns_.fields.end(),
                              [&](const auto& f) { return f.column == static_cast<int>(column); });
    if (field == patterns_.fields.end()) {
      throw std::logic_error("the record layout has no field for the column " +
                             std::string(kColumnNames[column]));
    }
    patterns_.fieldOfColumn[column] = static_cast<int>(field - patterns_.fields.begin());
  }
  // Midnight shows as "12:00 AM".
  std::string midnight = formatTimeLine(LocalTime{});
  size_t at = midnight.find("12:00 AM");
  if (at == std::string::npos) throw std::logic_error("the time line has no hh:mm AM");
  patterns_.timePrefix = midnight.substr(0, at);
  patterns_.timeSuffix = midnight.substr(at + 8);
  patterns_.timeLineLength = midnight.size();
  std::copy(std::begin(monthNames), std::end(monthNames), patterns_.monthNames);
  return patterns_;
}

TextPattern PatternBuilder::compileLine(size_t line) {
  // The line rendered as the record writer renders it, with a NUL byte for each field.
  std::vector<size_t> fields;
  std::string rendered;
  renderLine(
      kRecordLines[line],
      [&](std::string_view name, std::string* text) {
        if (lookupContactText(name, text) || lookupRule(name, text)) return true;
        fields.push_back(fieldNamed(name));
        text->assign(1, '\0');
        return true;
      },
      &rendered);
  TextPattern pattern;
  size_t at = rendered.find('\0');
  pattern.head = rendered.substr(0, at);
  for (size_t field : fields) {
    size_t next = rendered.find('\0', at + 1);
    FieldKind kind = patterns_.fields[field].kind;
    if (kind == FieldKind::kDay) patterns_.dayLine = line;
    pattern.segments.push_back({field, kind, rendered.substr(at + 1, next - (at + 1))});
    at = next;
  }
  const std::string where = "record line " + std::to_string(line + 1) + ": ";
  // A field is read up to the first byte it cannot hold, which must begin the text after it
  // (the line end, after the last one).
  for (const TextPattern::Segment& segment : pattern.segments) {
    if (segment.tail.empty() && &segment != &pattern.segments.back()) {
      throw std::logic_error(where + "two fields with nothing between them");
    }
    char first = segment.tail.empty() ? '\n' : segment.tail[0];
    bool numeric = segment.kind == FieldKind::kDay || segment.kind == FieldKind::kYear;
    if (segment.kind != FieldKind::kTimeLine && !isWhiteSpace(first) &&
        !(numeric && !isDigit(first))) {
      throw std::logic_error(where + "the field " + patterns_.fields[segment.field].name +
                             " runs into the text after it");
    }
  }
  return pattern;
}

size_t PatternBuilder::fieldNamed(std::string_view name) {
  std::vector<RecordPatterns::Field>& fields = patterns_.fields;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (fields[i].name == name) return i;
  }
  RecordPatterns::Field field{std::string(name), FieldKind::kWord, columnNamed(name)};
  for (const SpecialField& special : kSpecialFields) {
    if (special.name == name) {
      field.kind = special.kind;
      field.column = special.column.empty() ? -1 : columnNamed(special.column);
    }
  }
  if (field.kind == FieldKind::kWord && field.column < 0) {
    throw std::logic_error("the record layout has a field without a column: " + field.name);
  }
  fields.push_back(field);
  return fields.size() - 1;
}

}  // namespace

const RecordPatterns& recordPatterns() {
  static const RecordPatterns patterns = PatternBuilder().build();
  return patterns;
}

}  // namespace survey
