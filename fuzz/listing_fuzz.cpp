// Listing an arbitrary record file, read in pieces of any size: every line of the file is
// shown, in order, with a carriage return before a line end dropped, control characters but
// tab in caret notation and C1 controls as "<U+009B>"; no other control character reaches the
// console; one empty line closes the listing.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "records/record_file.h"
#include "records/record_listing.h"
#include "support/fakes.h"

namespace {

// The lines of a file as the listing should show them, written out plainly.
std::vector<std::string> expectedLines(std::string_view file) {
  std::vector<std::string> lines;
  while (!file.empty()) {
    size_t end = file.find('\n');
    std::string_view line = file.substr(0, end);
    file.remove_prefix(end == std::string_view::npos ? file.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::string shown;
    for (size_t at = 0; at < line.size(); ++at) {
      const char c = line[at];
      unsigned char byte = static_cast<unsigned char>(c);
      unsigned char after = at + 1 < line.size() ? static_cast<unsigned char>(line[at + 1]) : 0;
      if (byte == 0xc2 && after >= 0x80 && after < 0xa0) {
        static const char kHex[] = "0123456789ABCDEF";
        shown += std::string("<U+00") + kHex[after >> 4] + kHex[after & 0xf] + '>';
        ++at;
      } else if (byte == 0x7f) {
        shown += "^?";
      } else if (byte < 0x20 && byte != '\t') {
        shown += '^';
        shown += static_cast<char>(byte + 64);
      } else {
        shown += c;
      }
    }
    lines.push_back(shown);
  }
  return lines;
}

// No program holds the file, so the listing has nothing to report.
struct NoReports : survey::StoreReports {
  void waiting(const std::string&, const survey::Status&) override {}
  void recordTakenOut(const std::string&, const survey::Status&, std::string_view) override {}
  void recordRewritten(const std::string&, std::string_view) override {}
  void safeguardLost(const std::string&, const survey::Status&) override {}
  void locksMissing(const std::string&, const survey::Status&) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace survey;
  using namespace survey::fuzzing;
  Feed feed = splitFeed(data, size);
  testing::FakeEnv env("");
  env.fakeTerminal().isTerminal = feed.flag;
  env.memoryFiles().files[kRecordFileName] = std::string(feed.bytes);
  env.memoryFiles().readChunk = feed.chunk;
  {
    ConsoleStream stream(env.output(), feed.flag);
    NoReports reports;
    ListingOutcome outcome = listRecords(env.files(), stream, reports);
    FUZZ_CHECK(outcome.opened.ok() && outcome.read.ok(), "the listing of an existing file");
    stream.flushAll();
  }
  const std::string& shown = env.fakeOutput().text;
  for (size_t at = 0; at < shown.size(); ++at) {
    unsigned char byte = static_cast<unsigned char>(shown[at]);
    FUZZ_CHECK(byte >= 0x20 ? byte != 0x7f : byte == '\t' || byte == '\n', "a control byte shown");
    FUZZ_CHECK(byte != 0xc2 || at + 1 == shown.size() ||
                   static_cast<unsigned char>(shown[at + 1]) >= 0xa0 ||
                   static_cast<unsigned char>(shown[at + 1]) < 0x80,
               "a C1 control shown");
  }
  std::string expected;
  for (const std::string& line : expectedLines(feed.bytes)) expected += line + "\n";
  expected += "\n";
  FUZZ_CHECK(shown == expected, "the listing differs from the file's lines");
  FUZZ_CHECK(env.fakeErrors().text.empty(), env.fakeErrors().text);
  return 0;
}
