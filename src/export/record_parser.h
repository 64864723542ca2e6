// Reading a record file back: its lines, by the fixed texts of the record layout, as rows.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "export/export_row.h"
#include "platform/page_buffer.h"

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

struct TextPattern;
struct RecordPatterns;

// Reads one file's records: the 35 lines in order, exact but for fields holding what the program
// writes there, with LF or CRLF line ends. What does not fit is reported and skipped up to the
// next record. The bytes go into one buffer, which keeps the current line and, when it must make
// room, the current record's field texts: memory does not grow with the file.
class RecordParser {
 public:
  // Lines longer than this cannot be record lines (an answer is at most 4096 bytes).
  static constexpr size_t kMaxLineLength = 64 * 1024;
  // Bytes taken in one read: few enough that the copy a read makes is still in the processor's
  // cache (L2 is 512 KiB or more) when the lines are matched.
  static constexpr size_t kReadBlock = 128 * 1024;

  // Throws std::logic_error if the record layout has a field that cannot be read back.
  // `blockSize`: the most bytes put in at once, at least one.
  RecordParser(std::string_view fileName, RecordSink& sink, size_t blockSize = kReadBlock);
  RecordParser(const RecordParser&) = delete;
  RecordParser& operator=(const RecordParser&) = delete;

  // Where the file's next bytes go, with room for `*capacity` of them (at least one). Once the
  // buffer is full, the room is a whole block starting on a page.
  char* room(size_t* capacity);
  // Takes the first `count` bytes of the room.
  void filled(size_t count);
  // The file's bytes, in pieces of any size.
  void feed(std::string_view bytes);
  // The end of the file: reports what is left unfinished.
  void finish();

 private:
  enum class State { kBetweenRecords, kInRecord, kSkipping };
  // What is wrong with a line, in the order of faultText's texts. kIncomplete: the bytes end
  // before the match is decided.
  enum class Fault {
    kNone,
    kIncomplete,
    kLayout,
    kNotAWord,
    kLongWord,
    kNotUtf8,
    kFigure,
    kRepeated,
    kClock,
    kNoDate,
    kTooLong,
    kNoLineEnd
  };
  static const char* faultText(Fault fault);

  // The lines expected next, each matched where it stands; `end` may cut the last one short.
  // Returns where the first line that is not the one expected begins.
  const char* takeExpectedLines(const char* at, const char* end);
  // Anything else, one whole line at a time.
  void takeLine(std::string_view line, bool tooLong);
  // A record's first line, which begins a record whatever came before.
  bool tryStartRecord(const char* at, const char* end, uint64_t lineNumber, size_t* length);
  Fault matchLine(size_t recordLine, const char* at, const char* end, size_t* length);
  // Requires a white space byte at `end`, where a field's scan stops at the latest.
  Fault match(const TextPattern& pattern, const char* at, const char* end, size_t* length);
  // `ascii`: the value has no byte of 0x80 and above.
  Fault takeField(size_t field, std::string_view value, bool ascii);
  static Fault checkWord(std::string_view value, bool ascii);
  void completeRecord();
  void startSkipping(uint64_t firstLine, std::string message);
  void reportSkipped(uint64_t firstLine, uint64_t lastLine, std::string_view message);
  static std::string cutShortText(size_t linesRead, const std::string& cause);
  void keepFieldTexts();

  const RecordPatterns& patterns_;
  std::string fileName_;
  RecordSink& sink_;

  // Room for a line carried over from the block before, then the block, then a line end that
  // stops field scans at the end of the bytes.
  static constexpr size_t kCarryRoom = (kMaxLineLength + 1 + kPageSize - 1) / kPageSize * kPageSize;
  const size_t blockEnd_;
  PageBuffer buffer_;
  size_t begin_ = kCarryRoom;  // the first byte not taken yet, at a line's start
  size_t end_ = kCarryRoom;    // the end of the bytes put in
  bool lineTried_ = false;     // the line at begin_ is not the one expected: its end is sought
  size_t searched_ = 0;        // up to where that line is known to have no line end
  bool tooLong_ = false;       // that line is too long, and its bytes so far are dropped

  uint64_t lineNumber_ = 0;
  bool crlf_ = false;  // the line end of the line matched last
  State state_ = State::kBetweenRecords;
  uint64_t firstLine_ = 0;  // of the record being read or of the lines being skipped
  size_t recordLine_ = 0;   // how many lines of the record have matched
  std::string skipMessage_;

  // The current record's fields: the text, pointing into the buffer until keepFieldTexts copies
  // it into `kept`, and the record in which it was read last.
  struct FieldText {
    std::string_view text;
    uint64_t read = 0;
    bool plain = false;  // as ExportRow::plain
    std::string kept;
  };
  std::vector<FieldText> fields_;
  uint64_t record_ = 1;  // records begun, counted
  bool seen(size_t field) const { return fields_[field].read == record_; }

  // The start clock's fields as read last, by FieldKind: their texts, and their values (the time
  // line's in minutes after midnight, the month's from 0). Records of one run share them.
  std::string clockTexts_[6];
  std::array<int, 6> clock_{};
  // The clock of the record handed out last, and its texts in the row.
  std::array<int, 6> runClock_{-1};
  char runDate_[40] = {};  // YYYY-MM-DD, the year in at least four digits
  char runTime_[24] = {};  // HH:MM
  size_t runDateSize_ = 0, runTimeSize_ = 0;
  ExportRow row_;  // the row handed out, its views filled in for each record
};

}  // namespace survey
