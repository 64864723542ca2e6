// The listing: large block reads, filtered, written as large blocks.
#include "records/record_listing.h"

#include <memory>
#include <vector>

#include "records/listing_scan.h"
#include "records/record_file.h"

namespace survey {
namespace {

// As large as the processor's second-level cache comfortably holds: few system calls, and the
// scan finds the block still in cache after the read.
constexpr size_t kReadBlock = 256 * 1024;

void appendCaret(unsigned char c, std::string* out) {
  out->push_back('^');
  out->push_back(c == 0x7f ? '?' : static_cast<char>(c + 64));
}

}  // namespace

void ListingFilter::feed(std::string_view bytes, std::string* out) {
  if (bytes.empty()) return;
  size_t i = 0;
  if (carriageReturnPending_) {
    carriageReturnPending_ = false;
    if (bytes[0] != '\n') appendCaret('\r', out);
  }
  while (i < bytes.size()) {
    size_t special = i + findAttentionByte(bytes.data() + i, bytes.size() - i);
    if (special > i) {
      out->append(bytes.data() + i, special - i);
      atLineStart_ = bytes[special - 1] == '\n';
    }
    if (special == bytes.size()) break;
    unsigned char c = static_cast<unsigned char>(bytes[special]);
    i = special + 1;
    atLineStart_ = false;
    if (c != '\r') {
      appendCaret(c, out);
    } else if (i == bytes.size()) {
      carriageReturnPending_ = true;  // the next piece tells whether a line end follows
    } else if (bytes[i] != '\n') {
      appendCaret(c, out);
    }
  }
}

std::string_view ListingFilter::filter(std::string_view bytes, std::string* scratch) {
  scratch->clear();
  if (bytes.empty()) return bytes;
  size_t clean = carriageReturnPending_ ? 0 : findAttentionByte(bytes.data(), bytes.size());
  if (clean == bytes.size()) {
    atLineStart_ = bytes.back() == '\n';
    return bytes;
  }
  if (clean > 0) {
    scratch->append(bytes.data(), clean);
    atLineStart_ = bytes[clean - 1] == '\n';
  }
  feed(bytes.substr(clean), scratch);
  return *scratch;
}

void ListingFilter::finish(std::string* out) {
  carriageReturnPending_ = false;  // a carriage return at the very end closes the last line
  if (!atLineStart_) out->push_back('\n');
  out->push_back('\n');
  atLineStart_ = true;
}

Flow listRecords(Session& session) {
  std::unique_ptr<SequentialFile> file;
  Status opened = session.files().openForReading(kRecordFileName, &file);
  if (!opened.ok()) {
    session.notice(std::string("cannot open ") + kRecordFileName + ": " + opened.reason());
    session.stream().write("Cannot open file.");
    return Flow::kAbort;
  }
  ListingFilter filter;
  std::vector<char> block(kReadBlock);
  std::string scratch;
  for (;;) {
    size_t count = 0;
    Status read = file->read(block.data(), block.size(), &count);
    if (!read.ok()) {
      session.notice(std::string("reading ") + kRecordFileName + " failed: " + read.reason() +
                     "; the listing stops there");
      session.markFailed();
    }
    if (count == 0) break;
    session.stream().writeLines(filter.filter(std::string_view(block.data(), count), &scratch));
  }
  scratch.clear();
  filter.finish(&scratch);
  session.stream().writeLines(scratch);
  return Flow::kContinue;
}

}  // namespace survey
