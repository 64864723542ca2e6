// Reading a record file back: its lines, by the fixed texts of the record layout, as records
// and faults, with no knowledge of any output format.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/code_page.h"
#include "platform/page_buffer.h"
#include "reader/record_outcomes.h"

namespace survey {

struct LinePattern;
struct RecordPatterns;

// Reads one file's records: the 35 lines in order, exact but for fields holding what the program
// writes there, with LF or CRLF line ends. What does not fit is reported and skipped up to the
// next record. The bytes go into one buffer, which keeps the current line and, when it must make
// room, the current record's field texts: memory does not grow with the file.
class RecordReader {
 public:
  static constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
  // Lines longer than this cannot be record lines (an answer is at most 4096 bytes).
  static constexpr size_t kMaxLineLength = 64 * 1024;
  // Bytes taken in one read: few enough that the copy a read makes is still in the processor's
  // cache (L2 is 512 KiB or more) when the lines are matched.
  static constexpr size_t kReadBlock = 128 * 1024;

  // Throws std::logic_error if the record layout has a field that cannot be read back.
  // `blockSize`: the most bytes put in at once, at least one.
  RecordReader(std::string_view fileName, RecordSink& sink, size_t blockSize = kReadBlock);
  RecordReader(const RecordReader&) = delete;
  RecordReader& operator=(const RecordReader&) = delete;

  // Where the file's next bytes go, with room for `*capacity` of them (at least one). Once the
  // buffer is full, the room is a whole block starting on a page.
  char* room(size_t* capacity);
  // Takes the first `count` bytes of the room.
  void filled(size_t count);
  // The end of the file: takes a last line that has no line end, reports what is left
  // unfinished.
  void finish();

  // The most records that `bytes` bytes can hold.
  static uint64_t mostRecordsIn(uint64_t bytes);

  // Answers that are not valid UTF-8 are read in this code page from now on (null: none).
  void readOtherAnswersIn(CodePage* codePage) { codePage_ = codePage; }
  const FileNotes& notes() const { return notes_; }

 private:
  enum class State { kBetweenRecords, kInRecord, kSkipping };

  // The lines expected next, each matched where it stands; `end` may cut the last one short.
  // Returns where the first line that is not the one expected begins.
  const char* takeExpectedLines(const char* at, const char* end);
  // Anything else, one whole line at a time; `unended`: the file ends inside it, and its last
  // byte is the line end put after the file's bytes.
  void takeLine(std::string_view line, bool tooLong, bool unended = false);
  // Whether the bytes put in so far may still begin with a byte-order mark.
  bool awaitingStart();
  // A record's first line, which begins a record whatever came before.
  bool tryStartRecord(const char* at, const char* end, uint64_t lineNumber, size_t* length);
  // With the line end of the line before, or else the other one; `trimmed`: the line's patterns
  // without its ending blanks.
  Fault matchLine(size_t recordLine, const char* at, const char* end, size_t* length,
                  bool trimmed = false);
  // Requires a white space byte at `end`, where a field's scan stops at the latest.
  Fault match(const LinePattern& pattern, const char** line, const char* end);
  // `ascii`: the value has no byte of 0x80 and above.
  Fault takeField(size_t field, std::string_view value, bool ascii);
  Fault takeWord(size_t field, std::string_view value, bool ascii);
  static Fault checkWord(std::string_view value, bool ascii);
  void completeRecord();
  void startSkipping(uint64_t firstLine, std::string message, Fault fault);
  void reportSkipped(uint64_t firstLine, uint64_t lastLine, std::string_view message, Fault fault);
  static std::string cutShortText(size_t linesRead, const std::string& cause);
  void keepFieldTexts();

  const RecordPatterns& patterns_;
  std::string fileName_;
  RecordSink& sink_;

  // Marks the bytes from `from` to the line end put after the bytes, included.
  void markFrom(size_t from);

  // Room for a line carried over from the block before, then the block, then a byte for the line
  // end that markFrom puts after the bytes, which stops field scans there.
  static constexpr size_t kCarryRoom = (kMaxLineLength + 1 + kPageSize - 1) / kPageSize * kPageSize;
  const size_t blockEnd_;
  PageBuffer buffer_;
  // A bit per byte of the buffer, set for the bytes of a field that have a class (field_values.h):
  // a field's scan goes from mark to mark.
  std::unique_ptr<uint64_t[]> marks_;
  size_t begin_ = kCarryRoom;  // the first byte not taken yet, at a line's start
  size_t end_ = kCarryRoom;    // the end of the bytes put in
  bool lineTried_ = false;     // the line at begin_ is not the one expected: its end is sought
  size_t searched_ = 0;        // up to where that line is known to have no line end
  bool tooLong_ = false;       // that line is too long, and its bytes so far are dropped
  bool started_ = false;       // the file's first bytes are known not to be a byte-order mark

  uint64_t lineNumber_ = 0;
  bool crlf_ = false;  // the line end of the line matched last
  State state_ = State::kBetweenRecords;
  uint64_t firstLine_ = 0;  // of the record being read or of the lines being skipped
  size_t recordLine_ = 0;   // how many lines of the record have matched
  std::string skipMessage_;
  uint64_t blankLines_ = 0;  // empty or blank lines since the last record, and the first of them
  uint64_t firstBlank_ = 0;
  Fault skipFault_ = Fault::kNotInRecord;
  CodePage* codePage_ = nullptr;
  bool converted_ = false;  // the current record has an answer read in the code page
  FileNotes notes_;

  // The current record's fields: the text, pointing into the buffer until keepFieldTexts copies
  // it into `kept`, and the record in which it was read last.
  struct FieldText {
    std::string_view text;
    uint64_t read = 0;
    bool plain = false;  // as RecordRow::plain
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
  char recordIdText_[16] = {};
  std::string hashed_;  // the bytes the identity is hashed from
  RecordRow row_;       // the row handed out, its views filled in for each record
};

}  // namespace survey
