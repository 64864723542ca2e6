// The reader's buffer: the file's bytes put in a block at a time, cut into lines, a line carried
// over from one block to the next, and a byte-order mark at the start passed over.
#include <algorithm>
#include <cstring>
#include <iterator>

#include "reader/field_values.h"
#include "reader/record_patterns.h"
#include "reader/record_reader.h"
#include "records/byte_scan.h"

namespace survey {
namespace {

constexpr ByteSet kClassedBytes = ByteSet::of([](int c) { return kByteClasses.of[c] != 0; });

}  // namespace

RecordReader::RecordReader(std::string_view fileName, RecordSink& sink, size_t blockSize)
    : patterns_(recordPatterns()),
      fileName_(fileName),
      sink_(sink),
      blockEnd_(kCarryRoom + blockSize),
      buffer_(blockEnd_ + 1),
      marks_(new uint64_t[(blockEnd_ + 1 + 63) / 64]),
      fields_(patterns_.fields.size()) {
  markFrom(begin_);
  std::fill(std::begin(row_.plain), std::end(row_.plain), true);
  row_.plain[kFileColumn] = isPlainText(fileName_);
  row_.fields[kFileColumn] = fileName_;
}

char* RecordReader::room(size_t* capacity) {
  if (end_ == blockEnd_) {
    // Full: the unfinished line moves to just before the block, and the block is read anew.
    keepFieldTexts();
    size_t kept = end_ - begin_;
    std::memmove(buffer_.data() + kCarryRoom - kept, buffer_.data() + begin_, kept);
    searched_ = searched_ - begin_ + kCarryRoom - kept;
    begin_ = kCarryRoom - kept;
    end_ = kCarryRoom;
    markFrom(begin_);
  }
  *capacity = blockEnd_ - end_;
  return buffer_.data() + end_;
}

void RecordReader::markFrom(size_t from) {
  buffer_.data()[end_] = '\n';
  from -= from % 64;
  markBytes(kClassedBytes, buffer_.data() + from, end_ + 1 - from, marks_.get() + from / 64);
}

// Copies the current record's field texts out of the buffer, which is about to be overwritten.
void RecordReader::keepFieldTexts() {
  if (state_ != State::kInRecord) return;
  for (size_t field = 0; field < fields_.size(); ++field) {
    FieldText& kept = fields_[field];
    if (!seen(field) || kept.text.data() == kept.kept.data()) continue;
    kept.kept.assign(kept.text);
    kept.text = kept.kept;
  }
}

void RecordReader::finish() {
  started_ = true;
  // The line end that the last line lacks, if it does, is the one that stops field scans.
  markFrom(end_);
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
  notes_.blankLinesAtEnd += blankLines_;
  blankLines_ = 0;
  state_ = State::kBetweenRecords;
}

bool RecordReader::awaitingStart() {
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

void RecordReader::filled(size_t count) {
  char* bytes = buffer_.data();
  end_ += count;
  markFrom(end_ - count);
  if (!started_ && awaitingStart()) return;
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

}  // namespace survey
