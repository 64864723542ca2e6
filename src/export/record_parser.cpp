// Matching a file's bytes against the record patterns, record by record or line by line.
#include "export/record_parser.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <iterator>

#include "console/input_reader.h"
#include "export/field_values.h"
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

enum class RecordParser::Fault {
  kNone,
  kIncomplete,  // the bytes end before the match is decided
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
};

const char* RecordParser::faultText(Fault fault) {
  switch (fault) {
    case Fault::kNone:
    case Fault::kIncomplete:
      break;
    case Fault::kLayout:
      return "does not match the layout";
    case Fault::kNotAWord:
      return "has an answer that is not one word";
    case Fault::kLongWord:
      return "has an answer longer than the program keeps";
    case Fault::kNotUtf8:
      return "has an answer that is not valid UTF-8";
    case Fault::kFigure:
      return "has a figure that the program does not write so";
    case Fault::kRepeated:
      return "shows a figure unlike its other lines";
    case Fault::kClock:
      return "has a start date or time that the program does not write so";
    case Fault::kNoDate:
      return "has a start date that does not exist";
    case Fault::kTooLong:
      return "is too long";
    case Fault::kNoLineEnd:
      return "has no line end (the file ends inside it)";
  }
  return "";
}

RecordParser::RecordParser(std::string_view fileName, RecordSink& sink)
    : patterns_(recordPatterns()),
      fileName_(fileName),
      sink_(sink),
      fieldTexts_(patterns_.fields.size()),
      fieldSeen_(patterns_.fields.size()),
      fieldPlain_(patterns_.fields.size()),
      fileNamePlain_(std::none_of(fileName_.begin(), fileName_.end(),
                                  [](char c) { return kByteClasses[c] & kNotPlain; })) {}

void RecordParser::feed(std::string_view bytes) {
  if (!partialLine_.empty() || partialTooLong_) {
    const void* found = std::memchr(bytes.data(), '\n', bytes.size());
    if (found == nullptr) {
      keepPartialLine(bytes);
      return;
    }
    size_t length = static_cast<size_t>(static_cast<const char*>(found) - bytes.data()) + 1;
    keepPartialLine(bytes.substr(0, length));
    bytes.remove_prefix(length);
    takeLine(partialLine_, partialTooLong_);
    keepFieldTexts();
    partialLine_.clear();
    partialTooLong_ = false;
  }
  while (!bytes.empty()) {
    size_t length = 0;
    if (takeWholeRecord(bytes, &length) || takeExpectedLine(bytes, &length)) {
      bytes.remove_prefix(length);
      continue;
    }
    const void* found = std::memchr(bytes.data(), '\n', bytes.size());
    if (found == nullptr) {
      keepFieldTexts();
      keepPartialLine(bytes);
      return;
    }
    length = static_cast<size_t>(static_cast<const char*>(found) - bytes.data()) + 1;
    takeLine(bytes.substr(0, length), length > kMaxLineLength + 1);
    bytes.remove_prefix(length);
  }
  keepFieldTexts();
}

void RecordParser::keepPartialLine(std::string_view piece) {
  if (partialTooLong_) return;
  if (partialLine_.size() + piece.size() > kMaxLineLength + 1) {
    partialTooLong_ = true;
    partialLine_.clear();
    return;
  }
  partialLine_.append(piece);
}

void RecordParser::keepFieldTexts() {
  if (state_ != State::kInRecord) return;
  keptIndex_ ^= 1;
  std::vector<char>& kept = keptTexts_[keptIndex_];
  size_t total = 0;
  for (size_t field = 0; field < fieldTexts_.size(); ++field) {
    if (fieldSeen_[field]) total += fieldTexts_[field].size();
  }
  kept.resize(total);
  char* to = kept.data();
  for (size_t field = 0; field < fieldTexts_.size(); ++field) {
    std::string_view& text = fieldTexts_[field];
    if (!fieldSeen_[field] || text.empty()) continue;
    std::memcpy(to, text.data(), text.size());
    text = std::string_view(to, text.size());
    to += text.size();
  }
}

void RecordParser::finish() {
  if (!partialLine_.empty() || partialTooLong_) {
    takeLine(partialLine_, partialTooLong_);
    partialLine_.clear();
    partialTooLong_ = false;
  }
  if (state_ == State::kInRecord) {
    reportSkipped(firstLine_, lineNumber_,
                  "record skipped: cut short after " + std::to_string(recordLine_) + " of " +
                      std::to_string(kRecordLineCount) + " lines by the end of the file");
  } else if (state_ == State::kSkipping) {
    reportSkipped(firstLine_, lineNumber_, skipMessage_);
  }
  state_ = State::kBetweenRecords;
}

// A whole record at once, all its lines ending alike.
bool RecordParser::takeWholeRecord(std::string_view bytes, size_t* length) {
  if (state_ == State::kInRecord) return false;
  std::fill(fieldSeen_.begin(), fieldSeen_.end(), 0);
  if (match(patterns_.records[crlf_], bytes, length) != Fault::kNone) {
    std::fill(fieldSeen_.begin(), fieldSeen_.end(), 0);
    if (match(patterns_.records[!crlf_], bytes, length) != Fault::kNone) return false;
    crlf_ = !crlf_;
  }
  if (state_ == State::kSkipping) reportSkipped(firstLine_, lineNumber_, skipMessage_);
  firstLine_ = lineNumber_ + 1;
  lineNumber_ += kRecordLineCount;
  completeRecord();
  return true;
}

// The next line of the record being read, or the first line of a record.
bool RecordParser::takeExpectedLine(std::string_view bytes, size_t* length) {
  if (state_ == State::kInRecord) {
    if (matchLine(recordLine_, bytes, length) != Fault::kNone) return false;
    ++lineNumber_;
    if (++recordLine_ == kRecordLineCount) completeRecord();
    return true;
  }
  State before = state_;
  uint64_t skippedFrom = firstLine_;
  if (!tryStartRecord(bytes, lineNumber_ + 1, length)) return false;
  ++lineNumber_;
  if (before == State::kSkipping) reportSkipped(skippedFrom, lineNumber_ - 1, skipMessage_);
  return true;
}

// One whole line, its line end included unless the file ended inside it.
void RecordParser::takeLine(std::string_view line, bool tooLong) {
  ++lineNumber_;
  bool ended = !line.empty() && line.back() == '\n';
  bool crlf = ended && line.size() >= 2 && line[line.size() - 2] == '\r';
  if (state_ == State::kInRecord) {
    size_t length = 0;
    Fault fault = tooLong  ? Fault::kTooLong
                  : !ended ? Fault::kNoLineEnd
                           : match(patterns_.lines[crlf][recordLine_], line, &length);
    if (fault == Fault::kIncomplete) fault = Fault::kLayout;
    if (fault == Fault::kNone) {
      crlf_ = crlf;
      if (++recordLine_ == kRecordLineCount) completeRecord();
      return;
    }
    uint64_t recordStart = firstLine_;
    std::string message = "record skipped: line " + std::to_string(lineNumber_) + " (record line " +
                          std::to_string(recordLine_ + 1) + ") " + faultText(fault);
    size_t linesRead = recordLine_;
    if (!tooLong && tryStartRecord(line, lineNumber_, &length)) {
      reportSkipped(recordStart, lineNumber_ - 1,
                    "record skipped: cut short after " + std::to_string(linesRead) + " of " +
                        std::to_string(kRecordLineCount) + " lines by a new record at line " +
                        std::to_string(lineNumber_));
    } else {
      startSkipping(recordStart, std::move(message));
    }
    return;
  }
  uint64_t skippedFrom = firstLine_;
  State before = state_;
  size_t length = 0;
  if (!tooLong && tryStartRecord(line, lineNumber_, &length)) {
    if (before == State::kSkipping) reportSkipped(skippedFrom, lineNumber_ - 1, skipMessage_);
  } else if (state_ == State::kBetweenRecords) {
    startSkipping(lineNumber_, "");
  }
}

bool RecordParser::tryStartRecord(std::string_view bytes, uint64_t lineNumber, size_t* length) {
  std::fill(fieldSeen_.begin(), fieldSeen_.end(), 0);
  if (matchLine(0, bytes, length) != Fault::kNone) return false;
  state_ = State::kInRecord;
  firstLine_ = lineNumber;
  recordLine_ = 1;
  return true;
}

// The line with the line end of the line before, or else with the other one.
RecordParser::Fault RecordParser::matchLine(size_t recordLine, std::string_view bytes,
                                            size_t* length) {
  Fault fault = match(patterns_.lines[crlf_][recordLine], bytes, length);
  if (fault == Fault::kNone ||
      match(patterns_.lines[!crlf_][recordLine], bytes, length) != Fault::kNone) {
    return fault;
  }
  crlf_ = !crlf_;
  return Fault::kNone;
}

void RecordParser::startSkipping(uint64_t firstLine, std::string message) {
  state_ = State::kSkipping;
  firstLine_ = firstLine;
  skipMessage_ = std::move(message);
}

void RecordParser::reportSkipped(uint64_t firstLine, uint64_t lastLine, std::string_view message) {
  std::string notPartOfARecord;
  if (message.empty()) {
    notPartOfARecord = firstLine == lastLine ? "line skipped: not part of a record"
                                             : "lines skipped: not part of a record";
    message = notPartOfARecord;
  }
  sink_.skipped(SkippedLines{firstLine, lastLine, message});
}

// Matches the pattern at the start of `bytes`, which may go on past it; `*length` is then the
// length matched.
RecordParser::Fault RecordParser::match(const TextPattern& pattern, std::string_view bytes,
                                        size_t* length) {
  size_t at = 0;
  auto expect = [&bytes, &at](const std::string& text) {
    size_t available = std::min(text.size(), bytes.size() - at);
    if (std::memcmp(bytes.data() + at, text.data(), available) != 0) return Fault::kLayout;
    if (available < text.size()) return Fault::kIncomplete;
    at += text.size();
    return Fault::kNone;
  };
  Fault fault = expect(pattern.head);
  if (fault != Fault::kNone) return fault;
  for (const TextPattern::Segment& segment : pattern.segments) {
    // A field ends at the first byte that it cannot hold (white space, or anything but a digit
    // in the day and the year), which must begin the text after it; the time line has a fixed
    // length.
    FieldKind kind = segment.kind;
    size_t end = at;
    unsigned char classes = 0;
    if (kind == FieldKind::kTimeLine) {
      end += patterns_.timeLineLength;
      if (end > bytes.size()) return Fault::kIncomplete;
    } else {
      if (kind == FieldKind::kDay || kind == FieldKind::kYear) {
        while (end < bytes.size() && isDigit(bytes[end])) ++end;
      } else {
        for (; end < bytes.size(); ++end) {
          unsigned char byteClass = kByteClasses[bytes[end]];
          if (byteClass & kEndsField) break;
          classes |= byteClass;
        }
      }
      if (end == bytes.size()) return Fault::kIncomplete;
      if (bytes[end] != segment.tail[0]) {
        return kind == FieldKind::kWord     ? Fault::kNotAWord
               : kind == FieldKind::kFigure ? Fault::kFigure
                                            : Fault::kClock;
      }
    }
    std::string_view value = bytes.substr(at, end - at);
    bool ascii = !(classes & kNotAscii);
    if (kind == FieldKind::kWord && !fieldSeen_[segment.field]) {
      // The most common field, taken here.
      fault = checkWord(value, ascii);
      fieldTexts_[segment.field] = value;
      fieldSeen_[segment.field] = fault == Fault::kNone;
    } else {
      fault = takeField(segment.field, value, ascii);
    }
    fieldPlain_[segment.field] = !(classes & kNotPlain);
    if (fault != Fault::kNone) return fault;
    at = end;
    fault = expect(segment.tail);
    if (fault != Fault::kNone) return fault;
  }
  *length = at;
  return Fault::kNone;
}

RecordParser::Fault RecordParser::checkWord(std::string_view value, bool ascii) {
  if (value.empty()) return Fault::kNotAWord;
  if (value.size() > InputReader::kWordLimit) return Fault::kLongWord;
  if (!ascii && !isValidUtf8(value)) return Fault::kNotUtf8;
  return Fault::kNone;
}

RecordParser::Fault RecordParser::takeField(size_t field, std::string_view value, bool ascii) {
  if (fieldSeen_[field]) return value == fieldTexts_[field] ? Fault::kNone : Fault::kRepeated;
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
      const std::string& prefix = patterns_.timePrefix;
      if (value.substr(0, prefix.size()) != prefix ||
          value.substr(prefix.size() + 8) != patterns_.timeSuffix ||
          !parseTwelveHourTime(value.substr(prefix.size(), 8), &hour_, &minute_)) {
        return Fault::kClock;
      }
      break;
    }
    case FieldKind::kDay:
      if (!parseWhole(value, &day_) || day_ < 1 || day_ > 31) return Fault::kClock;
      break;
    case FieldKind::kMonthName:
      month_ = -1;
      for (int month = 0; month < 12; ++month) {
        if (value == patterns_.monthNames[month]) month_ = month;
      }
      if (month_ < 0) return Fault::kClock;
      break;
    case FieldKind::kYear:
      if (!parseWhole(value, &year_)) return Fault::kClock;
      break;
  }
  fieldTexts_[field] = value;
  fieldSeen_[field] = 1;
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
  char runDate[32];  // YYYY-MM-DD, the year in at least four digits
  char runTime[5];   // HH:MM
  char* lineEnd = std::to_chars(lineText, lineText + sizeof lineText, firstLine_).ptr;
  char* dateEnd = writePadded(year_, 4, runDate);
  *dateEnd++ = '-';
  dateEnd = writePadded(month_ + 1, 2, dateEnd);
  *dateEnd++ = '-';
  dateEnd = writePadded(day_, 2, dateEnd);
  writePadded(hour_, 2, runTime);
  runTime[2] = ':';
  writePadded(minute_, 2, runTime + 3);

  ExportRow row;
  std::fill(std::begin(row.plain), std::end(row.plain), true);
  row.plain[kFileColumn] = fileNamePlain_;
  row.fields[kFileColumn] = fileName_;
  row.fields[kLineColumn] = std::string_view(lineText, static_cast<size_t>(lineEnd - lineText));
  row.fields[kRunDateColumn] = std::string_view(runDate, static_cast<size_t>(dateEnd - runDate));
  row.fields[kRunTimeColumn] = std::string_view(runTime, sizeof runTime);
  for (size_t column = kRunTimeColumn + 1; column < kColumnCount; ++column) {
    size_t field = static_cast<size_t>(patterns_.fieldOfColumn[column]);
    row.fields[column] = fieldTexts_[field];
    row.plain[column] = fieldPlain_[field];
  }
  sink_.record(row);
}

}  // namespace survey
