// Between records: record starts, skipped lines and their reports, finished records handed out.
#include <charconv>
#include <cstdio>
#include <string>

#include "reader/field_values.h"
#include "reader/record_id.h"
#include "reader/record_patterns.h"
#include "reader/record_reader.h"

namespace survey {

const char* faultText(Fault fault) {
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

uint64_t RecordReader::mostRecordsIn(uint64_t bytes) {
  return bytes / recordPatterns().leastRecordSize;
}

std::string RecordReader::cutShortText(size_t linesRead, const std::string& cause) {
  return "record skipped: cut short after " + std::to_string(linesRead) + " of " +
         std::to_string(kRecordLineCount) + " lines " + cause;
}

bool RecordReader::tryStartRecord(const char* at, const char* end, uint64_t lineNumber,
                                  size_t* length) {
  ++record_;  // nothing read before belongs to this record
  converted_ = false;
  // A byte-order mark before the first line: files joined end to end, each with its own.
  const size_t mark = static_cast<size_t>(end - at) >= kUtf8Mark.size() &&
                              std::string_view(at, kUtf8Mark.size()) == kUtf8Mark
                          ? kUtf8Mark.size()
                          : 0;
  if (matchLine(0, at + mark, end, length) != Fault::kNone) return false;
  *length += mark;
  if (mark != 0) ++notes_.recordMarks;
  if (state_ == State::kSkipping) {
    reportSkipped(firstLine_, lineNumber - 1, skipMessage_, skipFault_);
  } else if (blankLines_ > 0) {
    reportSkipped(firstBlank_, lineNumber - 1, "", Fault::kNotInRecord);
  }
  blankLines_ = 0;
  state_ = State::kInRecord;
  firstLine_ = lineNumber;
  recordLine_ = 1;
  return true;
}

void RecordReader::startSkipping(uint64_t firstLine, std::string message, Fault fault) {
  state_ = State::kSkipping;
  firstLine_ = firstLine;
  skipMessage_ = std::move(message);
  skipFault_ = fault;
}

void RecordReader::reportSkipped(uint64_t firstLine, uint64_t lastLine, std::string_view message,
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

void RecordReader::completeRecord() {
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
  RecordRow& row = row_;
  row.fields[kLineColumn] = std::string_view(lineText, static_cast<size_t>(lineEnd - lineText));
  row.fields[kRunDateColumn] = std::string_view(runDate_, runDateSize_);
  row.fields[kRunTimeColumn] = std::string_view(runTime_, runTimeSize_);
  for (size_t column = kRunTimeColumn + 1; column < kColumnCount; ++column) {
    size_t field = static_cast<size_t>(patterns_.fieldOfColumn[column]);
    row.fields[column] = fields_[field].text;
    row.plain[column] = fields_[field].plain;
  }
  // The identity covers the values after the line's and its own.
  row.recordId =
      recordIdOf(row.fields + kRunDateColumn, kIdentityColumnsEnd - kRunDateColumn, &hashed_);
  writeRecordId(row.recordId, recordIdText_);
  row.fields[kRecordIdColumn] = std::string_view(recordIdText_, sizeof recordIdText_);
  sink_.record(row);
}

// One whole line, its line end included.
void RecordReader::takeLine(std::string_view line, bool tooLong, bool unended) {
  ++lineNumber_;
  const char* end = line.data() + line.size();
  size_t length = 0;
  if (state_ == State::kInRecord) {
    // The line end of this line is tried first, and the other cannot match a whole line.
    crlf_ = line.size() >= 2 && line[line.size() - 2] == '\r';
    Fault fault = tooLong ? Fault::kTooLong : matchLine(recordLine_, line.data(), end, &length);
    if (fault == Fault::kIncomplete) fault = Fault::kLayout;
    if (fault != Fault::kNone && !tooLong && patterns_.hasTrimmed[recordLine_] &&
        matchLine(recordLine_, line.data(), end, &length, true) == Fault::kNone) {
      fault = Fault::kNone;
      ++notes_.trimmedLines;
    }
    if (fault != Fault::kNone && unended && !tooLong) fault = Fault::kNoLineEnd;
    if (fault == Fault::kNone) {
      notes_.noFinalLineEnd |= unended;
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
          cutShortText(linesRead, "by a new record at line " + std::to_string(lineNumber_)),
          Fault::kCutShort);
      notes_.noFinalLineEnd |= unended;
    } else {
      startSkipping(recordStart, std::move(message), fault);
    }
    return;
  }
  if (!tooLong && tryStartRecord(line.data(), end, lineNumber_, &length)) {
    notes_.noFinalLineEnd |= unended;
  } else if (state_ == State::kBetweenRecords) {
    // Blank lines are no fault if no other line follows them: the file's end decides.
    const bool blank = !tooLong && line.find_first_not_of(" \t\r\n") == std::string_view::npos;
    if (blank && blankLines_++ == 0) firstBlank_ = lineNumber_;
    if (!blank) {
      startSkipping(blankLines_ > 0 ? firstBlank_ : lineNumber_, "", Fault::kNotInRecord);
      blankLines_ = 0;
    }
  }
}

}  // namespace survey
