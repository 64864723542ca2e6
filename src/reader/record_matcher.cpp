// Lines matched against the line expected next, where they stand or else whole, and their fields.
#include <algorithm>
#include <cstring>

#include "console/input_reader.h"
#include "platform/utf8.h"
#include "reader/field_values.h"
#include "reader/record_patterns.h"
#include "reader/record_reader.h"

namespace survey {
namespace {

// The value of a start clock field: the time line's in minutes after midnight, the month's from 0.
bool readClockField(const RecordPatterns& patterns, FieldKind kind, std::string_view text,
                    int* value) {
  switch (kind) {
    case FieldKind::kTimeLine: {
      // The prefix, "hh:mm AM" or "hh:mm PM", the suffix; the text has their length.
      const std::string& prefix = patterns.timePrefix;
      int hour = 0, minute = 0;
      if (text.substr(0, prefix.size()) != prefix ||
          text.substr(prefix.size() + 8) != patterns.timeSuffix ||
          !parseTwelveHourTime(text.substr(prefix.size(), 8), &hour, &minute)) {
        return false;
      }
      *value = hour * 60 + minute;
      return true;
    }
    case FieldKind::kDay:
      return parseWhole(text, value) && *value >= 1 && *value <= 31;
    case FieldKind::kMonthName: {
      const std::string_view* names = patterns.monthNames;
      *value = static_cast<int>(std::find(names, names + 12, text) - names);
      return *value < 12;
    }
    default:
      return parseWhole(text, value);
  }
}

}  // namespace

namespace {

// The fixed text at `*at`, which then moves past it; the bytes up to `end` may stop inside it.
inline Fault expectText(const char** at, const char* end, FixedText text) {
  size_t available = static_cast<size_t>(end - *at);
  if (text.size > available) {
    return std::memcmp(*at, text.data, available) == 0 ? Fault::kIncomplete : Fault::kLayout;
  }
  if (std::memcmp(*at, text.data, text.size) != 0) return Fault::kLayout;
  *at += text.size;
  return Fault::kNone;
}

}  // namespace

// Matches the pattern at `*line`, which then moves past it; the bytes up to `end` may go on past
// it. Inlined where it is called: the call would cost as much as a short line.
[[gnu::always_inline]] inline Fault RecordReader::match(const LinePattern& pattern,
                                                        const char** line, const char* end) {
  const char* at = *line;
  Fault fault = expectText(&at, end, pattern.head);
  if (fault != Fault::kNone) return fault;
  FieldText* const fields = fields_.data();
  const uint64_t record = record_;
  for (const PatternStep* step = pattern.steps; step != pattern.stepsEnd; ++step) {
    FieldText& field = fields[step->field];
    // A field shown before in the record (a figure on several lines): its text again, then the
    // first byte after it. Anything else takes the way below, which says what is wrong.
    const bool shownBefore = field.read == record;
    if (shownBefore) {
      std::string_view known = field.text;
      if (known.size() < static_cast<size_t>(end - at) &&
          std::memcmp(at, known.data(), known.size()) == 0 && at[known.size()] == step->stop) {
        // The tail's first byte is compared already, and is not in the rest but after the time
        // line.
        at += known.size() + (step->kind != FieldKind::kTimeLine);
        fault = expectText(&at, end, step->rest);
        if (fault != Fault::kNone) return fault;
        continue;
      }
    }
    // A field ends at the first byte that it cannot hold (white space, or anything but a digit
    // in the day and the year), which must begin the text after it; the time line has a fixed
    // length.
    const FieldKind kind = step->kind;
    const char* fieldEnd = at;
    unsigned char classes = 0;
    if (kind == FieldKind::kTimeLine) {
      if (static_cast<size_t>(end - at) < patterns_.timeLineLength) return Fault::kIncomplete;
      fieldEnd += patterns_.timeLineLength;
    } else {
      if (kind == FieldKind::kDay || kind == FieldKind::kYear) {
        while (isDigit(*fieldEnd)) ++fieldEnd;
      } else {
        // Most bytes of an answer are plain ASCII, of no class at all: the marks of the bytes
        // that have one lead from each to the next.
        const uint64_t* const marks = marks_.get();
        size_t offset = static_cast<size_t>(fieldEnd - buffer_.data());
        for (;;) {
          uint64_t word = marks[offset / 64] & (~uint64_t{0} << (offset % 64));
          while (word == 0) word = marks[(offset = (offset | 63) + 1) / 64];
          offset = (offset & ~size_t{63}) + static_cast<size_t>(__builtin_ctzll(word));
          const unsigned char byteClass = kByteClasses[buffer_.data()[offset]];
          if (byteClass & kEndsField) break;
          classes |= byteClass;
          ++offset;
        }
        fieldEnd = buffer_.data() + offset;
      }
      if (fieldEnd == end) return Fault::kIncomplete;
      if (*fieldEnd != step->stop) {
        return kind == FieldKind::kWord     ? Fault::kNotAWord
               : kind == FieldKind::kFigure ? Fault::kFigure
                                            : Fault::kClock;
      }
    }
    std::string_view value(at, static_cast<size_t>(fieldEnd - at));
    const bool ascii = !(classes & kNotAscii);
    field.plain = !(classes & kNotPlain);
    fault = kind == FieldKind::kWord && !shownBefore ? takeWord(step->field, value, ascii)
                                                     : takeField(step->field, value, ascii);
    if (fault != Fault::kNone) return fault;
    // The tail's first byte ended the field and is compared already; the time line's is not.
    at = fieldEnd + (kind != FieldKind::kTimeLine);
    if (step->rest.size != 0) {
      fault = expectText(&at, end, step->rest);
      if (fault != Fault::kNone) return fault;
    }
  }
  *line = at;
  return Fault::kNone;
}

// The usual way: each line the one expected next, matched where it stands, its line end
// included. Returns where the first line that is not begins.
const char* RecordReader::takeExpectedLines(const char* at, const char* end) {
  for (;;) {
    if (state_ != State::kInRecord) {
      size_t length = 0;
      if (!tryStartRecord(at, end, lineNumber_ + 1, &length)) return at;
      ++lineNumber_;
      at += length;
      continue;
    }
    // The line end of the line before first: the other one only if that fails.
    const LinePattern& expected = patterns_.lines[crlf_][recordLine_];
    if (expected.runLines != 0 && static_cast<size_t>(end - at) >= expected.run.size &&
        std::memcmp(at, expected.run.data, expected.run.size) == 0) {
      // Lines of fixed text only, one after another: matched as one, as they would be each.
      at += expected.run.size;
      lineNumber_ += expected.runLines;
      recordLine_ += expected.runLines;
      if (recordLine_ == kRecordLineCount) completeRecord();
      continue;
    }
    const char* next = at;
    if (match(expected, &next, end) != Fault::kNone) {
      size_t length = 0;
      if (matchLine(recordLine_, at, end, &length) != Fault::kNone) return at;
      next = at + length;
    }
    at = next;
    ++lineNumber_;
    if (++recordLine_ == kRecordLineCount) completeRecord();
  }
}

Fault RecordReader::matchLine(size_t recordLine, const char* at, const char* end, size_t* length,
                              bool trimmed) {
  const auto& lines = trimmed ? patterns_.trimmed : patterns_.lines;
  const char* next = at;
  Fault fault = match(lines[crlf_][recordLine], &next, end);
  if (fault != Fault::kNone) {
    if (match(lines[!crlf_][recordLine], &next, end) != Fault::kNone) return fault;
    crlf_ = !crlf_;
  }
  *length = static_cast<size_t>(next - at);
  return Fault::kNone;
}

Fault RecordReader::checkWord(std::string_view value, bool ascii) {
  if (value.empty()) return Fault::kNotAWord;
  if (value.size() > InputReader::kWordLimit) return Fault::kLongWord;
  if (!ascii && !isValidUtf8(value)) return Fault::kNotUtf8;
  return Fault::kNone;
}

// The most common field. An answer that is not UTF-8 is read in the code page, if one is named.
inline Fault RecordReader::takeWord(size_t field, std::string_view value, bool ascii) {
  FieldText& text = fields_[field];
  Fault fault = checkWord(value, ascii);
  text.text = value;
  if (fault == Fault::kNotUtf8 && codePage_ != nullptr) {
    text.kept.clear();
    if (codePage_->toUtf8(value, &text.kept)) {
      text.text = text.kept;
      // Quoting and escaping go by the text written, not by the bytes it was read from.
      text.plain = isPlainText(text.kept);
      converted_ = true;
      fault = Fault::kNone;
    }
  }
  if (fault == Fault::kNone) text.read = record_;
  return fault;
}

Fault RecordReader::takeField(size_t field, std::string_view value, bool ascii) {
  if (seen(field)) return value == fields_[field].text ? Fault::kNone : Fault::kRepeated;
  FieldKind kind = patterns_.fields[field].kind;
  if (kind == FieldKind::kFigure) {
    if (!isFormattedReal(value)) return Fault::kFigure;
  } else if (kind != FieldKind::kWord) {
    // A start clock field: only a text read well is kept, and none is empty.
    std::string& known = clockTexts_[static_cast<size_t>(kind)];
    if (known.empty() || value != known) {
      int number = 0;
      if (!readClockField(patterns_, kind, value, &number)) return Fault::kClock;
      known.assign(value);
      clock_[static_cast<size_t>(kind)] = number;
    }
  } else if (Fault fault = checkWord(value, ascii); fault != Fault::kNone) {
    return fault;
  }
  fields_[field].text = value;
  fields_[field].read = record_;
  return Fault::kNone;
}

}  // namespace survey
