// Matching a file's bytes against the record patterns, record by record or line by line.
#include "export/record_parser.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "export/field_values.h"
#include "export/record_patterns.h"

namespace survey {

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

size_t findLastRecordStart(std::string_view bytes) {
  const RecordPatterns& patterns = recordPatterns();
  const TextPattern& withLf = patterns.lines[0][0];
  const TextPattern& withCrLf = patterns.lines[1][0];
  if (!withLf.segments.empty()) return std::string_view::npos;  // not a fixed text
  for (size_t end = bytes.size(); end > 0;) {
    size_t newline = bytes.rfind('\n', end - 1);
    if (newline == std::string_view::npos) break;
    std::string_view line = bytes.substr(newline + 1);
    if (line.substr(0, withLf.head.size()) == withLf.head ||
        line.substr(0, withCrLf.head.size()) == withCrLf.head) {
      return newline + 1;
    }
    end = newline;
  }
  return std::string_view::npos;
}

RecordParser::RecordParser(std::string_view fileName, RecordSink& sink, uint64_t linesBefore)
    : patterns_(recordPatterns()),
      fileName_(fileName),
      sink_(sink),
      lineNumber_(linesBefore),
      fieldTexts_(patterns_.fields.size()),
      fieldSeen_(patterns_.fields.size()),
      fieldPlain_(patterns_.fields.size()) {
  std::fill(std::begin(row_.plain), std::end(row_.plain), true);
  row_.plain[kFileColumn] = std::none_of(fileName_.begin(), fileName_.end(),
                                         [](char c) { return kByteClasses[c] & kNotPlain; });
  row_.fields[kFileColumn] = fileName_;
}

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
    if (seen(field)) total += fieldTexts_[field].size();
  }
  kept.resize(total);
  char* to = kept.data();
  for (size_t field = 0; field < fieldTexts_.size(); ++field) {
    std::string_view& text = fieldTexts_[field];
    if (!seen(field) || text.empty()) continue;
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
  reportUnfinished("by the end of the file");
}

void RecordParser::finishBeforeRecord() {
  reportUnfinished("by a new record at line " + std::to_string(lineNumber_ + 1));
}

// What is left when the lines end `cause` (or a new record begins), up to the current line.
void RecordParser::reportUnfinished(const std::string& cause) {
  if (state_ == State::kInRecord) {
    reportSkipped(firstLine_, lineNumber_, cutShortText(recordLine_, cause));
  } else if (state_ == State::kSkipping) {
    reportSkipped(firstLine_, lineNumber_, skipMessage_);
  }
  state_ = State::kBetweenRecords;
}

std::string RecordParser::cutShortText(size_t linesRead, const std::string& cause) {
  return "record skipped: cut short after " + std::to_string(linesRead) + " of " +
         std::to_string(kRecordLineCount) + " lines " + cause;
}

// A whole record at once, all its lines ending alike.
bool RecordParser::takeWholeRecord(std::string_view bytes, size_t* length) {
  if (state_ == State::kInRecord) return false;
  forgetFields();
  if (match(patterns_.records[crlf_], bytes, length) != Fault::kNone) {
    forgetFields();
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
      reportSkipped(
          recordStart, lineNumber_ - 1,
          cutShortText(linesRead, "by a new record at line " + std::to_string(lineNumber_)));
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
  forgetFields();
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

}  // namespace survey
