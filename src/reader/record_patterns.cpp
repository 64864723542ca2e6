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
  // Puts the line's texts into the arena and its steps after the others; `place` points them
  // there once the arena is complete.
  void add(const LineText& text, LinePattern* pattern);
  // Puts the runs of lines of fixed text only into the arena, for the lines with `lineEnd`.
  void addRuns(const std::vector<LineText>& lines, const char* lineEnd,
               LinePattern (&patterns)[kRecordLineCount]);
  void place();

  RecordPatterns patterns_;
  // Until the arena is complete: each pattern's head and steps, and each step's tail, by offset.
  struct Pending {
    LinePattern* pattern;
    size_t headAt, headSize, firstStep, stepCount;
  };
  std::vector<Pending> pending_;
  std::vector<std::pair<size_t, size_t>> tails_;
  struct PendingRun {
    LinePattern* pattern;
    size_t at, size, lines;
  };
  std::vector<PendingRun> runs_;
};

RecordPatterns PatternBuilder::build() {
  std::vector<LineText> bodies;
  for (size_t line = 0; line < kRecordLineCount; ++line) {
    bodies.push_back(compileLine(line));
    LineText body = bodies.back();
    LineText trimmed = body;
    std::string& end = trimmed.last();
    while (!end.empty() && isBlank(end.back())) end.pop_back();
    patterns_.hasTrimmed[line] = end.size() != body.last().size();
    for (int crlf = 0; crlf < 2; ++crlf) {
      const char* lineEnd = crlf ? "\r\n" : "\n";
      LineText text = body;
      text.last() += lineEnd;
      add(text, &patterns_.lines[crlf][line]);
      text = trimmed;
      text.last() += lineEnd;
      add(text, &patterns_.trimmed[crlf][line]);
    }
  }
  addRuns(bodies, "\n", patterns_.lines[0]);
  addRuns(bodies, "\r\n", patterns_.lines[1]);
  place();
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

void PatternBuilder::add(const LineText& text, LinePattern* pattern) {
  std::string& arena = patterns_.arena;
  pending_.push_back(
      {pattern, arena.size(), text.head.size(), patterns_.steps.size(), text.segments.size()});
  arena += text.head;
  for (const LineText::Segment& segment : text.segments) {
    const RecordPatterns::Field& field = patterns_.fields[segment.field];
    patterns_.steps.push_back(
        {static_cast<uint16_t>(segment.field), field.kind, segment.tail[0], {}});
    tails_.emplace_back(arena.size(), segment.tail.size());
    arena += segment.tail;
  }
}

void PatternBuilder::addRuns(const std::vector<LineText>& lines, const char* lineEnd,
                             LinePattern (&patterns)[kRecordLineCount]) {
  std::string& arena = patterns_.arena;
  for (size_t line = 0; line < kRecordLineCount; ++line) {
    size_t last = line;
    while (last < kRecordLineCount && lines[last].segments.empty()) ++last;
    if (last - line < 2) continue;
    const size_t at = arena.size();
    for (size_t fixed = line; fixed < last; ++fixed) arena += lines[fixed].head + lineEnd;
    runs_.push_back({&patterns[line], at, arena.size() - at, last - line});
  }
}

void PatternBuilder::place() {
  const char* arena = patterns_.arena.data();
  for (size_t step = 0; step < patterns_.steps.size(); ++step) {
    PatternStep& placed = patterns_.steps[step];
    const size_t compared = placed.kind == FieldKind::kTimeLine ? 0 : 1;
    placed.rest = {arena + tails_[step].first + compared,
                   static_cast<uint32_t>(tails_[step].second - compared)};
  }
  for (const Pending& line : pending_) {
    *line.pattern = {{arena + line.headAt, static_cast<uint32_t>(line.headSize)},
                     patterns_.steps.data() + line.firstStep,
                     patterns_.steps.data() + line.firstStep + line.stepCount};
  }
  for (const PendingRun& run : runs_) {
    run.pattern->run = {arena + run.at, static_cast<uint32_t>(run.size)};
    run.pattern->runLines = static_cast<uint32_t>(run.lines);
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
