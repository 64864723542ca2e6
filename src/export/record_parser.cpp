// The parser's buffer, record starts, reports, and finished records handed out as rows.
#include "export/record_parser.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "export/field_values.h"
#include "export/record_patterns.h"

namespace survey {

const char* RecordParser::faultText(Fault fault) {
  static const char* const kTexts[] = {
      "",
      "",
      "does not match the layout",
      "has an answer that is not one word",
      "has an answer longer than the program keeps",
      "has an answer that is not valid UTF-8",
      "has a figure that the program does not write so",
      "shows a figure unlike its other lines",
      "has a start date or time that the program does not write so",
      "has a start date that does not exist",
      "is too long",
      "has no line end (the file ends inside it)",
      "cut short",
      "not part of a record",
  };
  return kTexts[static_cast<int>(fault)];
}

RecordParser::RecordParser(std::string_view fileName, RecordSink& sink, size_t blockSize)
    : patterns_(recordPatterns()),
      fileName_(fileName),
      sink_(sink),
      blockEnd_(kCarryRoom + blockSize),
      buffer_(blockEnd_ + kEndRoom),
      fields_(patterns_.fields.size()) {
  std::fill(buffer_.data() + blockEnd_, buffer_.data() + blockEnd_ + kEndRoom, '\n');
  std::fill(std::begin(row_.plain), std::end(row_.plain), true);
  row_.plain[kFileColumn] = std::none_of(fileName_.begin(), fileName_.end(),
                                         [](char c) { return kByteClasses[c] & kNotPlain; });
  row_.fields[kFileColumn] = fileName_;
}

char* RecordParser::room(size_t* capacity) {
  if (end_ == blockEnd_) {
    // Full: the unfinished line moves to just before the block, and the block is read anew.
    keepFieldTexts();
    size_t kept = end_ - begin_;
    std::memmove(buffer_.data() + kCarryRoom - kept, buffer_.data() + begin_, kept);
    searched_ = searched_ - begin_ + kCarryRoom - kept;
    begin_ = kCarryRoom - kept;
    end_ = kCarryRoom;
  }
  *capacity = blockEnd_ - end_;
  return buffer_.data() + end_;
}

// Copies the current record's field texts out of the buffer, which is about to be overwritten.
void RecordParser::keepFieldTexts() {
  if (state_ != State::kInRecord) return;
  for (size_t field = 0; field < fields_.size(); ++field) {
    FieldText& kept = fields_[field];
    if (!seen(field) || kept.text.data() == kept.kept.data()) continue;
    kept.kept.assign(kept.text);
    kept.text = kept.kept;
  }
}

void RecordParser::finish() {
  started_ = true;
  // The line end that the last line lacks, if it does, is the one that stops field scans.
  buffer_.data()[end_] = '\n';
  if (begin_ < end_ || tooLong_) {
    takeLine(std::string_view(buffer_.data() + begin_, end_ - begin_ + 1), tooLong_, true);
  }
  begin_ = end_;
  lineTried_ = tooLong_ = false;
  if (state_ == State::kInRecord) {
    reportSkipped(firstLine_, lineNumber_, cutShortText(recordLine_, "by the end of the file"),
                  Fault::kCutShort);
  } else if (state_ == State::kSkipping) {
    reportSkipped(firstLine_, lineNumber_, skipMessage_, skipFault_);
  }
  state_ = State::kBetweenRecords;
}

bool RecordParser::awaitingStart() {
  static constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
  static constexpr std::string_view kMarks[] = {kUtf8Mark, "\xFF\xFE", "\xFE\xFF"};
  std::string_view bytes(buffer_.data() + begin_, end_ - begin_);
  for (std::string_view mark : kMarks) {
    if (bytes.size() < mark.size() && mark.substr(0, bytes.size()) == bytes) return true;
  }
  started_ = true;
  if (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark) {
    notes_.byteOrderMark = true;
    begin_ += kUtf8Mark.size();
  } else if (bytes.substr(0, 2) == kMarks[1] || bytes.substr(0, 2) == kMarks[2]) {
    notes_.utf16 = true;
  }
  return false;
}

std::string RecordParser::cutShortText(size_t linesRead, const std::string& cause) {
  return "record skipped: cut short after " + std::to_string(linesRead) + " of " +
         std::to_string(kRecordLineCount) + " lines " + cause;
}

bool RecordParser::tryStartRecord(const char* at, const char* end, uint64_t lineNumber,
                                  size_t* length) {
  ++record_;  // nothing read before belongs to this record
  converted_ = false;
  if (matchLine(0, at, end, length) != Fault::kNone) return false;
  if (state_ == State::kSkipping) {
    reportSkipped(firstLine_, lineNumber - 1, skipMessage_, skipFault_);
  }
  state_ = State::kInRecord;
  firstLine_ = lineNumber;
  recordLine_ = 1;
  return true;
}

void RecordParser::startSkipping(uint64_t firstLine, std::string message, Fault fault) {
  state_ = State::kSkipping;
  firstLine_ = firstLine;
  skipMessage_ = std::move(message);
  skipFault_ = fault;
}

void RecordParser::reportSkipped(uint64_t firstLine, uint64_t lastLine, std::string_view message,
                                 Fault fault) {
  std::string notPartOfARecord;
  if (message.empty()) {
    notPartOfARecord = firstLine == lastLine ? "line skipped: not part of a record"
                                             : "lines skipped: not part of a record";
    message = notPartOfARecord;
  }
  if (fault == Fault::kNotUtf8) ++notes_.notUtf8;
  sink_.skipped(SkippedLines{firstLine, lastLine, message, fault});
}

void RecordParser::completeRecord() {
  state_ = State::kBetweenRecords;
  const int day = clock_[static_cast<size_t>(FieldKind::kDay)];
  const int month = clock_[static_cast<size_t>(FieldKind::kMonthName)];
  const int year = clock_[static_cast<size_t>(FieldKind::kYear)];
  const int minutes = clock_[static_cast<size_t>(FieldKind::kTimeLine)];
  if (day > daysInMonth(month, year)) {
    uint64_t dateLine = firstLine_ + patterns_.dayLine;
    reportSkipped(firstLine_, lineNumber_,
                  "record skipped: line " + std::to_string(dateLine) + " (record line " +
                      std::to_string(patterns_.dayLine + 1) + ") " + faultText(Fault::kNoDate),
                  Fault::kNoDate);
    return;
  }
  if (converted_) ++notes_.convertedRecords;
  char lineText[24];
  char* lineEnd = std::to_chars(lineText, lineText + sizeof lineText, firstLine_).ptr;
  // Records of one run share its start time: the texts are made when it changes.
  if (clock_ != runClock_) {
    runClock_ = clock_;
    runDateSize_ = static_cast<size_t>(
        std::snprintf(runDate_, sizeof runDate_, "%04d-%02d-%02d", year, month + 1, day));
    runTimeSize_ = static_cast<size_t>(
        std::snprintf(runTime_, sizeof runTime_, "%02d:%02d", minutes / 60, minutes % 60));
  }

  // The file, its plainness and the plainness of the line and the start time stay as the
  // constructor set them.
  ExportRow& row = row_;
  row.fields[kLineColumn] = std::string_view(lineText, static_cast<size_t>(lineEnd - lineText));
  row.fields[kRunDateColumn] = std::string_view(runDate_, runDateSize_);
  row.fields[kRunTimeColumn] = std::string_view(runTime_, runTimeSize_);
  for (size_t column = kRunTimeColumn + 1; column < kColumnCount; ++column) {
    size_t field = static_cast<size_t>(patterns_.fieldOfColumn[column]);
    row.fields[column] = fields_[field].text;
    row.plain[column] = fields_[field].plain;
  }
  sink_.record(row);
}

}  // namespace survey
