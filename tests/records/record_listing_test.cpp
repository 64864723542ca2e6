// The listing: the filter over any file, and option 2 in whole sessions.
#include "records/record_listing.h"

#include <gtest/gtest.h>

#include "app/run_driver.h"
#include "support/fakes.h"
#include "support/golden.h"
#include "support/same_text.h"

namespace survey::testing {
namespace {

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

std::string listingSession(const std::string& listing) {
  return session(numberPrompt() + menu(1) + listing + runCountBanner(1));
}

TEST(Listing, OneRecordListsAsItsLinesAndOneEmptyLine) {
  FakeEnv env("1\n2\n-1\n");
  env.memoryFiles().files["datas.dat"] = sampleRecord();
  env.memoryFiles().readChunk = 1000;  // records cross read boundaries
  EXPECT_EQ(runSurvey(env), 0);
  EXPECT_SAME_TEXT(env.fakeOutput().text, listingSession(sampleRecord() + "\n"));
}

TEST(Listing, AnEmptyFileListsAsOneEmptyLine) {
  FakeEnv env("1\n2\n-1\n");
  env.memoryFiles().files["datas.dat"] = "";
  EXPECT_EQ(runSurvey(env), 0);
  EXPECT_SAME_TEXT(env.fakeOutput().text, listingSession("\n"));
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
