// Reading a record file back: the records, by the fixed texts of the record layout, as rows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "export/export_row.h"

namespace survey {

// Lines that were not exported: a record that does not match the layout, or lines outside any
// record. `message` says which ("record skipped: ...", "lines skipped: ...") and why.
struct SkippedLines {
  uint64_t firstLine;
  uint64_t lastLine;
  std::string_view message;
};

class RecordSink {
 public:
  virtual ~RecordSink() = default;
  // The row's views last only for the call.
  virtual void record(const ExportRow& row) = 0;
  virtual void skipped(const SkippedLines& lines) = 0;
};

struct RecordPatterns;
struct TextPattern;

// Where the last record in `bytes` begins after their first byte: a line that is a record's
// first line, whole and with its line end. The parser starts a record at every such line,
// whatever came before. Returns std::string_view::npos if there is none.
size_t findLastRecordStart(std::string_view bytes);

// Reads one file's records: the 35 lines in order, exact but for fields holding what the program
// writes there, with LF or CRLF line ends. What does not fit is reported and skipped up to the
// next record. Only the current record and at most one line are kept, however long the file.
class RecordParser {
 public:
  // Lines longer than this cannot be record lines (an answer is at most 4096 bytes).
  static constexpr size_t kMaxLineLength = 64 * 1024;

  // Throws std::logic_error if the record layout has a field that cannot be read back.
  // `linesBefore`: the lines of the file before the first byte fed.
  RecordParser(std::string_view fileName, RecordSink& sink, uint64_t linesBefore = 0);
  RecordParser(const RecordParser&) = delete;
  RecordParser& operator=(const RecordParser&) = delete;

  // The file's bytes, in pieces of any size.
  void feed(std::string_view bytes);
  // The end of the file: reports what is left unfinished.
  void finish();
  // The bytes fed end with a whole line, and a record begins after them: reports what is left
  // unfinished as that record's first line would have it reported.
  void finishBeforeRecord();

 private:
  enum class State { kBetweenRecords, kInRecord, kSkipping };
  enum class Fault {
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

  static const char* faultText(Fault fault);

  // The usual cases, matched where they stand in the bytes.
  bool takeWholeRecord(std::string_view bytes, size_t* length);
  bool takeExpectedLine(std::string_view bytes, size_t* length);
  // Anything else, one whole line at a time.
  void takeLine(std::string_view line, bool tooLong);
  void keepPartialLine(std::string_view piece);
  bool tryStartRecord(std::string_view bytes, uint64_t lineNumber, size_t* length);
  Fault matchLine(size_t recordLine, std::string_view bytes, size_t* length);
  Fault match(const TextPattern& pattern, std::string_view bytes, size_t* length);
  // `ascii`: the value has no byte of 0x80 and above.
  Fault takeField(size_t field, std::string_view value, bool ascii);
  static Fault checkWord(std::string_view value, bool ascii);
  void completeRecord();
  void startSkipping(uint64_t firstLine, std::string message);
  void reportSkipped(uint64_t firstLine, uint64_t lastLine, std::string_view message);
  void reportUnfinished(const std::string& cause);
  static std::string cutShortText(size_t linesRead, const std::string& cause);
  void keepFieldTexts();

  const RecordPatterns& patterns_;
  std::string fileName_;
  RecordSink& sink_;

  std::string partialLine_;  // a line whose end is in a later piece
  bool partialTooLong_ = false;
  uint64_t lineNumber_ = 0;
  bool crlf_ = false;  // the line end of the line matched last

  State state_ = State::kBetweenRecords;
  uint64_t firstLine_ = 0;  // of the record being read or of the lines being skipped
  size_t recordLine_ = 0;   // how many lines of the record have matched
  std::string skipMessage_;

  // The current record: each field's text and whether it has been read yet. The texts point
  // into the bytes being fed; keepFieldTexts copies them before those bytes go away.
  std::vector<std::string_view> fieldTexts_;
  std::vector<uint64_t> fieldSeen_;  // the attempt in which each field was read last
  uint64_t attempt_ = 1;             // to match a record, counted
  bool seen(size_t field) const { return fieldSeen_[field] == attempt_; }
  void markSeen(size_t field) { fieldSeen_[field] = attempt_; }
  void forgetFields() { ++attempt_; }
  std::vector<char> fieldPlain_;  // as ExportRow::plain
  std::vector<char> keptTexts_[2];
  int keptIndex_ = 0;
  int day_ = 0, month_ = 0, year_ = 0, hour_ = 0, minute_ = 0;
  // The start time's fields as read last, with their values (the time line's in minutes
  // after midnight): records of one run share them.
  struct RememberedNumber {
    std::string text;
    int value = 0;
  };
  RememberedNumber knownTime_, knownDay_, knownMonth_, knownYear_;
  // `*number` is the value of `text`: read with `read` unless it is `known`'s text.
  template <typename Read>
  static bool readRemembered(std::string_view text, RememberedNumber* known, Read read,
                             int* number);

  // The start time of the record handed out last, and its texts in the row.
  struct RunClock {
    int year, month, day, hour, minute;
    bool operator==(const RunClock& other) const {
      return year == other.year && month == other.month && day == other.day && hour == other.hour &&
             minute == other.minute;
    }
  };
  RunClock runClock_{-1, -1, -1, -1, -1};
  char runDate_[32] = {};  // YYYY-MM-DD, the year in at least four digits
  size_t runDateSize_ = 0;
  char runTime_[5] = {};  // HH:MM
  ExportRow row_;         // the row handed out, its views filled in for each record
};

}  // namespace survey
