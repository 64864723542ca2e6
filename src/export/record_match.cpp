// Matching a line against its pattern, taking the fields' values, and handing out records.
#include <algorithm>
#include <charconv>
#include <cstring>

#include "console/input_reader.h"
#include "export/field_values.h"
#include "export/record_parser.h"
#include "export/record_patterns.h"
#include "export/utf8.h"

namespace survey {
namespace {

// Writes `value` with at least `width` digits, zeros in front; returns the end.
char* writePadded(int value, int width, char* to) {
  char digits[16];
  char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  for (int pad = width - static_cast<int>(end - digits); pad > 0; --pad) *to++ = '0';
  return std::copy(digits, end, to);
}

}  // namespace

// Matches the pattern at `at`; the bytes up to `end` may go on past it. `*length` is then the
// length matched. What the failed match read is forgotten.
RecordParser::Fault RecordParser::match(const TextPattern& pattern, const char* at,
                                        const char* end, size_t* length) {
  ++lineMatch_;
  Fault fault = matchFields(pattern, at, end, length);
  if (fault != Fault::kNone) {
    for (const TextPattern::Segment& segment : pattern.segments) {
      if (fieldRead_[segment.field] == lineMatch_) fieldRead_[segment.field] = 0;
    }
  }
  return fault;
}

RecordParser::Fault RecordParser::matchFields(const TextPattern& pattern, const char* at,
                                              const char* end, size_t* length) {
  const char* const start = at;
  auto expect = [&at, end](const std::string& text) {
    size_t available = static_cast<size_t>(end - at);
    if (text.size() > available) {
      return std::memcmp(at, text.data(), available) == 0 ? Fault::kIncomplete : Fault::kLayout;
    }
    if (std::memcmp(at, text.data(), text.size()) != 0) return Fault::kLayout;
    at += text.size();
    return Fault::kNone;
  };
  Fault fault = expect(pattern.head);
  if (fault != Fault::kNone) return fault;
  for (const TextPattern::Segment& segment : pattern.segments) {
    // A field shown before in the record (a figure on several lines): its text again, then the
    // first byte after it. Anything else takes the way below, which says what is wrong.
    const bool shownBefore = seen(segment.field);
    if (shownBefore) {
      std::string_view known = fieldTexts_[segment.field];
      if (known.size() < static_cast<size_t>(end - at) &&
          std::memcmp(at, known.data(), known.size()) == 0 && at[known.size()] == segment.tail[0]) {
        at += known.size();
        fault = expect(segment.tail);
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
        for (unsigned char byteClass; !((byteClass = kByteClasses[*fieldEnd]) & kEndsField);) {
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
      fieldTexts_[segment.field] = value;
      if (fault == Fault::kNone) fieldRead_[segment.field] = lineMatch_;
    } else {
      fault = takeField(segment.field, value, ascii);
    }
    fieldPlain_[segment.field] = !(classes & kNotPlain);
    if (fault != Fault::kNone) return fault;
    at = fieldEnd;
    fault = expect(segment.tail);
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

template <typename Read>
bool RecordParser::readRemembered(std::string_view text, RememberedNumber* known, Read read,
                                  int* number) {
  // Only a text read well is kept, and none is empty.
  if (known->text.empty() || text != known->text) {
    int value = 0;
    if (!read(text, &value)) return false;
    known->text.assign(text);
    known->value = value;
  }
  *number = known->value;
  return true;
}

RecordParser::Fault RecordParser::takeField(size_t field, std::string_view value, bool ascii) {
  if (seen(field)) return value == fieldTexts_[field] ? Fault::kNone : Fault::kRepeated;
  switch (patterns_.fields[field].kind) {
    case FieldKind::kWord: {
      Fault fault = checkWord(value, ascii);
      if (fault != Fault::kNone) return fault;
      break;
    }
    case FieldKind::kFigure:
      if (!isFormattedReal(value)) return Fault::kFigure;
      break;
    case FieldKind::kTimeLine: {
      // The prefix, "hh:mm AM" or "hh:mm PM", the suffix; the value has their length.
      auto readTime = [this](std::string_view text, int* minutes) {
        const std::string& prefix = patterns_.timePrefix;
        int hour = 0, minute = 0;
        if (text.substr(0, prefix.size()) != prefix ||
            text.substr(prefix.size() + 8) != patterns_.timeSuffix ||
            !parseTwelveHourTime(text.substr(prefix.size(), 8), &hour, &minute)) {
          return false;
        }
        *minutes = hour * 60 + minute;
        return true;
      };
      int minutes = 0;
      if (!readRemembered(value, &knownTime_, readTime, &minutes)) return Fault::kClock;
      hour_ = minutes / 60;
      minute_ = minutes % 60;
      break;
    }
    case FieldKind::kDay: {
      auto readDay = [](std::string_view text, int* day) {
        return parseWhole(text, day) && *day >= 1 && *day <= 31;
      };
      if (!readRemembered(value, &knownDay_, readDay, &day_)) return Fault::kClock;
      break;
    }
    case FieldKind::kMonthName: {
      auto readMonth = [this](std::string_view text, int* month) {
        const auto* names = patterns_.monthNames;
        *month = static_cast<int>(std::find(names, names + 12, text) - names);
        return *month < 12;
      };
      if (!readRemembered(value, &knownMonth_, readMonth, &month_)) return Fault::kClock;
      break;
    }
    case FieldKind::kYear:
      if (!readRemembered(value, &knownYear_, parseWhole, &year_)) return Fault::kClock;
      break;
  }
  fieldTexts_[field] = value;
  fieldRead_[field] = lineMatch_;
  return Fault::kNone;
}

void RecordParser::completeRecord() {
  state_ = State::kBetweenRecords;
  if (day_ > daysInMonth(month_, year_)) {
    uint64_t dateLine = firstLine_ + patterns_.dayLine;
    reportSkipped(firstLine_, lineNumber_,
                  "record skipped: line " + std::to_string(dateLine) + " (record line " +
                      std::to_string(patterns_.dayLine + 1) + ") " + faultText(Fault::kNoDate));
    return;
  }
  char lineText[24];
  char* lineEnd = std::to_chars(lineText, lineText + sizeof lineText, firstLine_).ptr;
  // Records of one run share its start time: the texts are made when it changes.
  RunClock clock{year_, month_, day_, hour_, minute_};
  if (!(clock == runClock_)) {
    runClock_ = clock;
    char* dateEnd = writePadded(year_, 4, runDate_);
    *dateEnd++ = '-';
    dateEnd = writePadded(month_ + 1, 2, dateEnd);
    *dateEnd++ = '-';
    runDateSize_ = static_cast<size_t>(writePadded(day_, 2, dateEnd) - runDate_);
    writePadded(hour_, 2, runTime_);
    runTime_[2] = ':';
    writePadded(minute_, 2, runTime_ + 3);
  }

  // The file, its plainness and the plainness of the line and the start time stay as the
  // constructor set them.
  ExportRow& row = row_;
  row.fields[kLineColumn] = std::string_view(lineText, static_cast<size_t>(lineEnd - lineText));
  row.fields[kRunDateColumn] = std::string_view(runDate_, runDateSize_);
  row.fields[kRunTimeColumn] = std::string_view(runTime_, sizeof runTime_);
  for (size_t column = kRunTimeColumn + 1; column < kColumnCount; ++column) {
    size_t field = static_cast<size_t>(patterns_.fieldOfColumn[column]);
    row.fields[column] = fieldTexts_[field];
    row.plain[column] = fieldPlain_[field];
  }
  sink_.record(row);
}

}  // namespace survey
