// The listing: the filter over any file, against a byte-at-a-time reference with the file cut
// into pieces anywhere, and option 2 in whole sessions.
#include "records/record_listing.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "app/run_driver.h"
#include "support/fakes.h"
#include "support/golden.h"
#include "support/same_text.h"

namespace survey::testing {
namespace {

// What the listing shows for a whole file, one byte at a time.
std::string referenceListing(const std::string& file) {
  std::string out;
  for (size_t i = 0; i < file.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(file[i]);
    if (c == '\r' && (i + 1 == file.size() || file[i + 1] == '\n')) continue;
    unsigned char after = i + 1 < file.size() ? static_cast<unsigned char>(file[i + 1]) : 0;
    if (c == 0xc2 && after >= 0x80 && after <= 0x9f) {
      static const char kHex[] = "0123456789ABCDEF";
      out += std::string("<U+00") + kHex[after >> 4] + kHex[after & 0xf] + ">";
      ++i;
    } else if ((c < 0x20 && c != '\n' && c != '\t') || c == 0x7f) {
      out += '^';
      out += c == 0x7f ? '?' : static_cast<char>(c + 64);
    } else {
      out += static_cast<char>(c);
    }
  }
  if (!file.empty() && file.back() != '\n') out += '\n';
  out += '\n';
  return out;
}

// The filter's output for `file`, fed in pieces of `piece` bytes.
std::string filtered(const std::string& file, size_t piece) {
  ListingFilter filter;
  std::string out;
  for (size_t at = 0; at < file.size(); at += piece) {
    out.append(filter.filter(std::string_view(file).substr(at, piece)));
  }
  filter.finish(&out);
  return out;
}

TEST(ListingFilter, ShowsEveryLineSafelyWhateverThePieceSizes) {
  const std::string longLine(10000, 'L');
  const struct {
    const char* name;
    std::string file;
    std::string shown;
  } cases[] = {
      {"empty file", "", "\n"},
      {"one line", "abc\n", "abc\n\n"},
      {"no final line end", "abc\ndef", "abc\ndef\n\n"},
      {"empty lines kept", "\n\n", "\n\n\n"},
      {"CRLF line ends", "one\r\ntwo\r\n", "one\ntwo\n\n"},
      {"CR at the very end", "one\r", "one\n\n"},
      {"lone CR", "\r", "\n\n"},
      {"CR inside a line", "a\rb\n", "a^Mb\n\n"},
      {"CR CR LF", "a\r\r\n", "a^M\n\n"},
      {"ESC and DEL", "\x1b[31mred\x7f\n", "^[[31mred^?\n\n"},
      {"NUL and BEL", std::string("a\0b\a", 4), "a^@b^G\n\n"},
      {"tab kept", "a\tb\n", "a\tb\n\n"},
      {"UTF-8 kept", "Z\xc3\xbcrich \xe6\x9d\xb1\xe4\xba\xac\n",
       "Z\xc3\xbcrich \xe6\x9d\xb1\xe4\xba\xac\n\n"},
      {"form feed and vertical tab", "\f\v\n", "^L^K\n\n"},
      // A C1 control is two bytes, which a piece may end between; the lead byte alone, or
      // before any other byte, is no control.
      {"C1 CSI", "a\xc2\x9bKb\n", "a<U+009B>Kb\n\n"},
      {"C1 first and last", "\xc2\x80\xc2\x9f\n", "<U+0080><U+009F>\n\n"},
      {"same lead, no control", "\xc2\xa0\xc2\xa9\xc2\n", "\xc2\xa0\xc2\xa9\xc2\n\n"},
      {"lead before a C1 control", "\xc2\xc2\x85", "\xc2<U+0085>\n\n"},
      {"lead at the very end", "x\xc2", "x\xc2\n\n"},
      {"other lead", "\xc3\x9b\x9b\n", "\xc3\x9b\x9b\n\n"},
      {"long line whole", longLine + "\nend\n", longLine + "\nend\n\n"},
  };
  for (const auto& c : cases) {
    for (size_t piece : {size_t{1}, size_t{2}, size_t{3}, size_t{1} << 20}) {
      EXPECT_EQ(filtered(c.file, piece), c.shown) << c.name << ", pieces of " << piece;
    }
  }
}

TEST(ListingFilter, RandomFilesCutAtRandomPlacesMatchTheReference) {
  std::mt19937 random(6);
  const std::string alphabet =
      std::string("ab \t\n\n\r\r\x1b\x7f\x80\xff\xc2\xc2\x9b\x9f\xa0", 17) + '\0';
  for (int round = 0; round < 300; ++round) {
    std::string file(std::uniform_int_distribution<size_t>(0, 600)(random), 'x');
    for (char& c : file) {
      // Mostly plain text, so the vector paths see long clean runs too.
      if (random() % 8 == 0) c = alphabet[random() % alphabet.size()];
    }
    ListingFilter filter;
    std::string out;
    for (size_t at = 0; at < file.size();) {
      size_t piece = std::uniform_int_distribution<size_t>(1, 200)(random);
      out.append(filter.filter(std::string_view(file).substr(at, piece)));
      at += piece;
    }
    filter.finish(&out);
    ASSERT_EQ(out, referenceListing(file)) << "round " << round;
  }
}

TEST(ListingFilter, CleanTextIsPassedOnWithoutACopy) {
  ListingFilter filter;
  const std::string block = "plain\ttext\n\xc3\xa9\n";
  std::string_view shown = filter.filter(block);
  EXPECT_EQ(shown.data(), block.data());
  EXPECT_EQ(shown.size(), block.size());
}

// Listings through a whole session: the exact transcript, in block-sized writes rather than
// one per line, however the file system hands out the file.
TEST(Listing, AFileIsListedWholeInLargeWritesAsItsLinesAndOneEmptyLine) {
  std::string large;
  for (int i = 0; large.size() < (3u << 20); ++i) {
    large +=
        " Candidate Name :: Ada Okafor " + std::to_string(i) + (i % 1000 == 0 ? "\x1b\r\n" : "\n");
  }
  const struct {
    const char* name;
    std::string file;
    std::vector<size_t> readChunks;
    std::string listing;
  } cases[] = {
      {"a large file", large, {4096, size_t{1} << 20}, referenceListing(large)},
      {"one record, crossing read boundaries", sampleRecord(), {1000}, sampleRecord() + "\n"},
      {"an empty file", "", {size_t{1} << 20}, "\n"},
  };
  for (const auto& c : cases) {
    for (size_t chunk : c.readChunks) {
      SCOPED_TRACE(std::string(c.name) + ", read chunk " + std::to_string(chunk));
      FakeEnv env("1\n2\n-1\n");
      env.memoryFiles().files["datas.dat"] = c.file;
      env.memoryFiles().readChunk = chunk;
      EXPECT_EQ(runSurvey(env), 0);
      EXPECT_SAME_TEXT(env.fakeOutput().text,
                       session(numberPrompt() + menu(1) + c.listing + runCountBanner(1)));
      EXPECT_LE(env.fakeOutput().writes, static_cast<int>(c.file.size() / 4096 + 16));
    }
  }
}

TEST(Listing, ACannotOpenEndsTheRunAtOnceWithStatusOne) {
  for (bool asDirectory : {false, true}) {
    FakeEnv env("1\n0\n1\n2\n1\n0\n-1\n");
    if (asDirectory) env.memoryFiles().directories.insert("datas.dat");
    EXPECT_EQ(runSurvey(env), 1);
    // Mid-loop: the message is the last thing written, with no exit block and no key wait.
    EXPECT_SAME_TEXT(env.fakeOutput().text, startBlock() + numberPrompt() + menu(1) +
                                                runCountBanner(1) + numberPrompt() + menu(1) +
                                                "Cannot open file.");
    EXPECT_EQ(env.fakeTerminal().keyWaits, 0);
    EXPECT_NE(env.fakeErrors().text.find("cannot open datas.dat"), std::string::npos);
  }
}

TEST(Listing, ListsWhatTheQuestionnaireStored) {
  FakeEnv env("1\n1\n" + sampleAnswers() + "\n1\n2\n-1\n");
  EXPECT_EQ(runSurvey(env), 0);
  const std::string& out = env.fakeOutput().text;
  const std::string listed = menu(1) + sampleRecord() + "\n" + runCountBanner(2);
  EXPECT_NE(out.find(listed), std::string::npos);
}

}  // namespace
}  // namespace survey::testing
