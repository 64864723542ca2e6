// Turning the record writer's table of lines into patterns.
#include "reader/record_patterns.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>

#include "console/characters.h"
#include "console/start_clock.h"
#include "console/template.h"
#include "console/texts.h"
#include "reader/field_values.h"

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

bool isBlank(char c) { return c == ' ' || c == '\t'; }

int columnNamed(std::string_view name) {
  for (size_t column = kRunTimeColumn + 1; column < kColumnCount; ++column) {
    if (kColumnNames[column] == name) return static_cast<int>(column);
  }
  return -1;
}

// A line as text: a head, then each field with the fixed text after it.
struct LineText {
  struct Segment {
    size_t field;
    std::string tail;
  };
  std::string head;
  std::vector<Segment> segments;
  std::string& last() { return segments.empty() ? head : segments.back().tail; }
};

class PatternBuilder {
 public:
  RecordPatterns build();

 private:
  LineText compileLine(size_t line);
  size_t fieldNamed(std::string_view name);
  // The text, kept in the arena, which has room reserved for every text so that none moves.
  FixedText keep(std::string_view text);
  // Keeps the line's texts, with `lineEnd`, and its steps, and points `pattern` at them.
  void add(LineText text, const char* lineEnd, LinePattern* pattern);
  // A line of fixed text only that lines of fixed text follow gets the run of them, whose texts
  // the arena holds one after the other.
  void addRuns(LinePattern (&patterns)[kRecordLineCount]);

  RecordPatterns patterns_;
};

RecordPatterns PatternBuilder::build() {
  std::vector<LineText> lines[2];  // as the writer writes them, and without their ending blanks
  size_t bytes = 0, segments = 0;
  for (size_t line = 0; line < kRecordLineCount; ++line) {
    LineText body = compileLine(line);
    LineText trimmed = body;
    std::string& end = trimmed.last();
    while (!end.empty() && isBlank(end.back())) end.pop_back();
    patterns_.hasTrimmed[line] = end.size() != body.last().size();
    bytes += body.head.size() + 2;
    for (const LineText::Segment& segment : body.segments) bytes += segment.tail.size();
    segments += body.segments.size();
    lines[0].push_back(std::move(body));
    lines[1].push_back(std::move(trimmed));
  }
  // Each line four times, with either line end, trimmed or not.
  patterns_.arena.reserve(4 * bytes);
  patterns_.steps.reserve(4 * segments);
  for (int crlf = 0; crlf < 2; ++crlf) {
    const char* lineEnd = crlf ? "\r\n" : "\n";
    for (size_t line = 0; line < kRecordLineCount; ++line) {
      add(lines[0][line], lineEnd, &patterns_.lines[crlf][line]);
    }
    for (size_t line = 0; line < kRecordLineCount; ++line) {
      add(lines[1][line], lineEnd, &patterns_.trimmed[crlf][line]);
    }
    addRuns(patterns_.lines[crlf]);
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
  // The fewest bytes a record can have: LF line ends, blanks trimmed, each field one byte.
  for (const LinePattern& line : patterns_.trimmed[0]) {
    patterns_.leastRecordSize += line.head.size;
    for (const PatternStep* step = line.steps; step != line.stepsEnd; ++step) {
      patterns_.leastRecordSize +=
          step->rest.size + (step->kind == FieldKind::kTimeLine ? midnight.size() : 2);
    }
  }
  std::copy(std::begin(monthNames), std::end(monthNames), patterns_.monthNames);
  return std::move(patterns_);
}

FixedText PatternBuilder::keep(std::string_view text) {
  std::string& arena = patterns_.arena;
  if (arena.size() + text.size() > arena.capacity()) {
    throw std::logic_error("the record layout's texts outgrow the room reserved for them");
  }
  const char* at = arena.data() + arena.size();
  arena += text;
  return {at, static_cast<uint32_t>(text.size())};
}

void PatternBuilder::add(LineText text, const char* lineEnd, LinePattern* pattern) {
  text.last() += lineEnd;
  std::vector<PatternStep>& steps = patterns_.steps;
  pattern->head = keep(text.head);
  pattern->steps = steps.data() + steps.size();
  for (const LineText::Segment& segment : text.segments) {
    const FieldKind kind = patterns_.fields[segment.field].kind;
    // The tail's first byte is compared as the field's stop, but after the time line.
    const size_t compared = kind == FieldKind::kTimeLine ? 0 : 1;
    steps.push_back({static_cast<uint16_t>(segment.field), kind, segment.tail[0],
                     keep(std::string_view(segment.tail).substr(compared))});
  }
  pattern->stepsEnd = steps.data() + steps.size();
}

void PatternBuilder::addRuns(LinePattern (&patterns)[kRecordLineCount]) {
  for (size_t line = 0; line < kRecordLineCount; ++line) {
    size_t last = line;
    uint32_t size = 0;
    while (last < kRecordLineCount && patterns[last].steps == patterns[last].stepsEnd) {
      size += patterns[last++].head.size;
    }
    if (last - line < 2) continue;
    patterns[line].run = {patterns[line].head.data, size};
    patterns[line].runLines = static_cast<uint32_t>(last - line);
  }
}

LineText PatternBuilder::compileLine(size_t line) {
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
  LineText pattern;
  size_t at = rendered.find('\0');
  pattern.head = rendered.substr(0, at);
  for (size_t field : fields) {
    size_t next = rendered.find('\0', at + 1);
    RecordPatterns::Field& known = patterns_.fields[field];
    if (known.kind == FieldKind::kDay) patterns_.dayLine = line;
    if (known.recordLines.empty() || known.recordLines.back() != line) {
      known.recordLines.push_back(line);
    }
    pattern.segments.push_back({field, rendered.substr(at + 1, next - (at + 1))});
    at = next;
  }
  const std::string where = "record line " + std::to_string(line + 1) + ": ";
  // A field is read up to the first byte it cannot hold, which must begin the text after it
  // (the line end, after the last one); a blank there may be trimmed, leaving the line end.
  for (const LineText::Segment& segment : pattern.segments) {
    if (segment.tail.empty() && &segment != &pattern.segments.back()) {
      throw std::logic_error(where + "two fields with nothing between them");
    }
    char first = segment.tail.empty() ? '\n' : segment.tail[0];
    FieldKind kind = patterns_.fields[segment.field].kind;
    bool numeric = kind == FieldKind::kDay || kind == FieldKind::kYear;
    if (kind != FieldKind::kTimeLine && !isWhiteSpace(first) && !(numeric && !isDigit(first))) {
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
  RecordPatterns::Field field{std::string(name), FieldKind::kWord, columnNamed(name), {}};
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
