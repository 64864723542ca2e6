// The listing: large block reads, filtered, written as large blocks.
#include "records/record_listing.h"

#include <cstring>
#include <memory>

#include "console/characters.h"
#include "platform/page_buffer.h"
#include "records/listing_scan.h"
#include "records/record_file.h"

namespace survey {
namespace {

// As large as the processor's second-level cache comfortably holds: few system calls, and the
// scan finds the block still in cache after the read. Page-aligned, as every large read is.
constexpr size_t kReadBlock = 256 * 1024;

char* writeCaret(unsigned char c, char* out) {
  out[0] = '^';
  out[1] = caretLetter(c);
  return out + 2;
}

}  // namespace

char* ListingFilter::buffer(size_t size) {
  if (bufferSize_ < size) {
    buffer_ = std::make_unique<char[]>(size);
    bufferSize_ = size;
  }
  return buffer_.get();
}

size_t ListingFilter::filterInto(std::string_view bytes, char* out) {
  char* next = out;
  size_t i = 0;
  if (carriageReturnPending_ && !bytes.empty()) {
    carriageReturnPending_ = false;
    if (bytes[0] != '\n') next = writeCaret('\r', next);
  }
  if (leadPending_ && !bytes.empty()) {
    leadPending_ = false;
    atLineStart_ = false;
    if (isC1Second(static_cast<unsigned char>(bytes[0]))) {
      next = writeC1Notation(static_cast<unsigned char>(bytes[i++]), next);
    } else {
      *next++ = static_cast<char>(kC1Lead);
    }
  }
  while (i < bytes.size()) {
    size_t written = 0;
    size_t taken = copyShownText(bytes.data() + i, bytes.size() - i, next, &written);
    next += written;
    i += taken;
    if (taken > 0) atLineStart_ = bytes[i - 1] == '\n';
    if (i == bytes.size()) break;
    unsigned char c = static_cast<unsigned char>(bytes[i++]);
    atLineStart_ = false;
    if (c == kC1Lead) {
      // The copy stops at a lead byte only when it begins a C1 control or ends the piece.
      if (i == bytes.size()) {
        leadPending_ = true;
      } else {
        next = writeC1Notation(static_cast<unsigned char>(bytes[i++]), next);
      }
    } else if (c != '\r') {
      next = writeCaret(c, next);
    } else if (i == bytes.size()) {
      carriageReturnPending_ = true;  // the next piece tells whether a line end follows
    } else if (bytes[i] != '\n') {
      next = writeCaret(c, next);
    }
  }
  return static_cast<size_t>(next - out);
}

std::string_view ListingFilter::filter(std::string_view bytes) {
  if (bytes.empty()) return bytes;
  size_t clean =
      carriageReturnPending_ || leadPending_ ? 0 : findAttentionByte(bytes.data(), bytes.size());
  if (clean == bytes.size()) {
    atLineStart_ = bytes.back() == '\n';
    return bytes;
  }
  // Two bytes of a C1 control show as eight, and a lead byte from the piece before adds one.
  char* shown = buffer(4 * bytes.size() + 8);
  std::memcpy(shown, bytes.data(), clean);
  if (clean > 0) atLineStart_ = bytes[clean - 1] == '\n';
  return std::string_view(shown, clean + filterInto(bytes.substr(clean), shown + clean));
}

void ListingFilter::finish(std::string* out) {
  carriageReturnPending_ = false;  // a carriage return at the very end closes the last line
  if (leadPending_) {
    out->push_back(static_cast<char>(kC1Lead));  // a lead byte at the very end is just a byte
    leadPending_ = false;
  }
  if (!atLineStart_) out->push_back('\n');
  out->push_back('\n');
  atLineStart_ = true;
}

ListingOutcome listRecords(FileSystem& files, ConsoleStream& stream, StoreReports& reports) {
  ListingOutcome outcome;
  std::unique_ptr<RandomAccessFile> file;
  outcome.opened = openRecords(files, kRecordFileName, reports, &file);
  if (!outcome.opened.ok()) return outcome;
  ListingFilter filter;
  PageBuffer block(kReadBlock);
  for (uint64_t offset = 0;;) {
    size_t count = 0;
    outcome.read = file->readAt(offset, block.data(), block.size(), &count);
    if (count == 0 || !outcome.read.ok()) break;
    offset += count;
    stream.writeLines(filter.filter(std::string_view(block.data(), count)));
  }
  std::string end;
  filter.finish(&end);
  stream.writeLines(end);
  return outcome;
}

}  // namespace survey
