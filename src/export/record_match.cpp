// Lines matched against the line expected next, where they stand or else whole, and their fields.
#include <algorithm>
#include <cstring>

#include "console/input_reader.h"
#include "export/field_values.h"
#include "export/record_parser.h"
#include "export/record_patterns.h"
#include "export/utf8.h"

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

void RecordParser::filled(size_t count) {
  char* bytes = buffer_.data();
  end_ += count;
  bytes[end_] = '\n';
  size_t at = begin_;
  while (at < end_) {
    if (!lineTried_) {
      at = static_cast<size_t>(takeExpectedLines(bytes + at, bytes + end_) - bytes);
      if (at == end_) break;
      lineTried_ = true;
      searched_ = at;
    }
    const void* found = std::memchr(bytes + searched_, '\n', end_ - searched_);
    if (found == nullptr) {
      searched_ = end_;
      break;
    }
    size_t next = static_cast<size_t>(static_cast<const char*>(found) - bytes) + 1;
    takeLine(std::string_view(bytes + at, next - at), tooLong_ || next - at > kMaxLineLength + 1);
    at = next;
    lineTried_ = tooLong_ = false;
  }
  begin_ = at;
  if (end_ - begin_ > kMaxLineLength + 1) {  // too long for a record line: only its end counts
    tooLong_ = true;
    begin_ = end_;
  }
}

// The usual way: each line the one expected next, matched where it stands, its line end
// included. Returns where the first line that is not begins.
const char* RecordParser::takeExpectedLines(const char* at, const char* end) {
  for (;;) {
    size_t length = 0;
    if (state_ == State::kInRecord) {
      if (matchLine(recordLine_, at, end, &length) != Fault::kNone) return at;
      ++lineNumber_;
      if (++recordLine_ == kRecordLineCount) completeRecord();
    } else if (tryStartRecord(at, end, lineNumber_ + 1, &length)) {
      ++lineNumber_;
    } else {
      return at;
    }
    at += length;
  }
}

// One whole line, its line end included unless the file ended inside it.
void RecordParser::takeLine(std::string_view line, bool tooLong) {
  ++lineNumber_;
  const char* end = line.data() + line.size();
  bool ended = !line.empty() && line.back() == '\n';
  bool crlf = ended && line.size() >= 2 && line[line.size() - 2] == '\r';
  size_t length = 0;
  if (state_ == State::kInRecord) {
    crlf_ = crlf;  // tried first, and the other line end cannot match a whole line
    Fault fault = tooLong  ? Fault::kTooLong
                  : !ended ? Fault::kNoLineEnd
                           : matchLine(recordLine_, line.data(), end, &length);
    if (fault == Fault::kIncomplete) fault = Fault::kLayout;
    if (fault == Fault::kNone) {
      if (++recordLine_ == kRecordLineCount) completeRecord();
      return;
    }
    uint64_t recordStart = firstLine_;
    std::string message = "record skipped: line " + std::to_string(lineNumber_) + " (record line " +
                          std::to_string(recordLine_ + 1) + ") " + faultText(fault);
    size_t linesRead = recordLine_;
    if (!tooLong && tryStartRecord(line.data(), end, lineNumber_, &length)) {
      reportSkipped(
          recordStart, lineNumber_ - 1,
          cutShortText(linesRead, "by a new record at line " + std::to_string(lineNumber_)));
    } else {
      startSkipping(recordStart, std::move(message));
    }
    return;
  }
  if ((tooLong || !tryStartRecord(line.data(), end, lineNumber_, &length)) &&
      state_ == State::kBetweenRecords) {
    startSkipping(lineNumber_, "");
  }
}

// The line with the line end of the line before, or else with the other one.
RecordParser::Fault RecordParser::matchLine(size_t recordLine, const char* at, const char* end,
                                            size_t* length) {
  Fault first = Fault::kNone;
  for (int other = 0; other < 2; ++other) {
    bool crlf = crlf_ != (other == 1);
    Fault fault = match(patterns_.lines[crlf][recordLine], at, end, length);
    if (fault == Fault::kNone) {
      crlf_ = crlf;
      return fault;
    }
    if (other == 0) first = fault;
  }
  return first;
}

// Matches the pattern at `at`; the bytes up to `end` may go on past it. `*length` is then the
// length matched.
inline RecordParser::Fault RecordParser::match(const TextPattern& pattern, const char* at,
                                               const char* end, size_t* length) {
  const char* const start = at;
  auto expect = [&at, end](const char* text, size_t size) {
    size_t available = static_cast<size_t>(end - at);
    if (size > available) {
      return std::memcmp(at, text, available) == 0 ? Fault::kIncomplete : Fault::kLayout;
    }
    if (size != 0 && std::memcmp(at, text, size) != 0) return Fault::kLayout;
    at += size;
    return Fault::kNone;
  };
  Fault fault = expect(pattern.head.data(), pattern.head.size());
  if (fault != Fault::kNone) return fault;
  for (const TextPattern::Segment& segment : pattern.segments) {
    // A field shown before in the record (a figure on several lines): its text again, then the
    // first byte after it. Anything else takes the way below, which says what is wrong.
    const bool shownBefore = seen(segment.field);
    if (shownBefore) {
      std::string_view known = fields_[segment.field].text;
      if (known.size() < static_cast<size_t>(end - at) &&
          std::memcmp(at, known.data(), known.size()) == 0 && at[known.size()] == segment.tail[0]) {
        at += known.size() + 1;  // the tail's first byte is compared already
        fault = expect(segment.tail.data() + 1, segment.tail.size() - 1);
        if (fault != Fault::kNone) return fault;
        continue;
      }
    }
    // A field ends at the first byte that it cannot hold (white space, or anything but a digit
    // in the day and the year), which must begin the text after it; the time line has a fixed
    // length.
    FieldKind kind = segment.kind;
    const char* fieldEnd = at;
    unsigned char classes = 0;
    if (kind == FieldKind::kTimeLine) {
      if (static_cast<size_t>(end - at) < patterns_.timeLineLength) return Fault::kIncomplete;
      fieldEnd += patterns_.timeLineLength;
    } else {
      if (kind == FieldKind::kDay || kind == FieldKind::kYear) {
        while (isDigit(*fieldEnd)) ++fieldEnd;
      } else {
        // Most bytes of an answer are plain ASCII, of no class at all.
        for (;;) {
          while (kByteClasses[*fieldEnd] == 0) ++fieldEnd;
          const unsigned char byteClass = kByteClasses[*fieldEnd];
          if (byteClass & kEndsField) break;
          classes |= byteClass;
          ++fieldEnd;
        }
      }
      if (fieldEnd == end) return Fault::kIncomplete;
      if (*fieldEnd != segment.tail[0]) {
        return kind == FieldKind::kWord     ? Fault::kNotAWord
               : kind == FieldKind::kFigure ? Fault::kFigure
                                            : Fault::kClock;
      }
    }
    std::string_view value(at, static_cast<size_t>(fieldEnd - at));
    bool ascii = !(classes & kNotAscii);
    if (kind == FieldKind::kWord && !shownBefore) {
      // The most common field, taken here.
      fault = checkWord(value, ascii);
      fields_[segment.field].text = value;
      if (fault == Fault::kNone) fields_[segment.field].read = record_;
    } else {
      fault = takeField(segment.field, value, ascii);
    }
    fields_[segment.field].plain = !(classes & kNotPlain);
    if (fault != Fault::kNone) return fault;
    // The tail's first byte ended the field and is compared already; the time line's is not.
    size_t compared = kind == FieldKind::kTimeLine ? 0 : 1;
    at = fieldEnd + compared;
    fault = expect(segment.tail.data() + compared, segment.tail.size() - compared);
    if (fault != Fault::kNone) return fault;
  }
  *length = static_cast<size_t>(at - start);
  return Fault::kNone;
}

RecordParser::Fault RecordParser::checkWord(std::string_view value, bool ascii) {
  if (value.empty()) return Fault::kNotAWord;
  if (value.size() > InputReader::kWordLimit) return Fault::kLongWord;
  if (!ascii && !isValidUtf8(value)) return Fault::kNotUtf8;
  return Fault::kNone;
}

RecordParser::Fault RecordParser::takeField(size_t field, std::string_view value, bool ascii) {
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
