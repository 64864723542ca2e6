// The listing: large block reads, filtered, written as large blocks.
#include "records/record_listing.h"

#include <array>
#include <memory>
#include <vector>

#include "records/record_file.h"

namespace survey {
namespace {

constexpr size_t kReadBlock = 128 * 1024;

// Bytes that are not copied as they are: control characters but tab and line feed, and DEL.
constexpr std::array<bool, 256> makeSpecialTable() {
  std::array<bool, 256> special{};
  for (int c = 0; c < 0x20; ++c) special[c] = c != '\n' && c != '\t';
  special[0x7f] = true;
  return special;
}
constexpr std::array<bool, 256> kSpecial = makeSpecialTable();

void appendCaret(unsigned char c, std::string* out) {
  out->push_back('^');
  out->push_back(c == 0x7f ? '?' : static_cast<char>(c + 64));
}

}  // namespace

void ListingFilter::feed(std::string_view bytes, std::string* out) {
  size_t i = 0;
  if (carriageReturnPending_ && !bytes.empty()) {
    carriageReturnPending_ = false;
    if (bytes[0] != '\n') appendCaret('\r', out);
  }
  while (i < bytes.size()) {
    size_t start = i;
    while (i < bytes.size() && !kSpecial[static_cast<unsigned char>(bytes[i])]) ++i;
    if (i > start) {
      out->append(bytes.data() + start, i - start);
      atLineStart_ = bytes[i - 1] == '\n';
    }
    if (i == bytes.size()) break;
    unsigned char c = static_cast<unsigned char>(bytes[i++]);
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
  std::string shown;
  shown.reserve(kReadBlock * 2);
  for (;;) {
    size_t count = 0;
    Status read = file->read(block.data(), block.size(), &count);
    if (!read.ok()) {
      session.notice(std::string("reading ") + kRecordFileName + " failed: " + read.reason() +
                     "; the listing stops there");
      session.markFailed();
    }
    if (count == 0) break;
    shown.clear();
    filter.feed(std::string_view(block.data(), count), &shown);
    session.stream().writeLines(shown);
  }
  shown.clear();
  filter.finish(&shown);
  session.stream().writeLines(shown);
  return Flow::kContinue;
}

}  // namespace survey
