// Driving a streaming reader and the reference reader side by side over the same input.
#pragma once

#include <cmath>
#include <cstring>
#include <string>

#include "console/input_reader.h"
#include "fuzz_check.h"
#include "reader_reference.h"
#include "support/fakes.h"

namespace survey::fuzzing {

struct ReaderPair {
  explicit ReaderPair(const Feed& feed)
      : input(std::string(feed.bytes), feed.chunk), reader(input, nullptr), reference(feed.bytes) {}
  testing::FakeInput input;
  InputReader reader;
  ReferenceReader reference;
};

// Reads one word with both: the reader must take exactly the word the reference takes, so
// it also shows what an earlier read left. False at the end of input.
inline bool checkNextWord(ReaderPair& pair, std::string* word, bool* cut) {
  std::string expected;
  bool expectedCut = false;
  ReadResult result = pair.reader.readWord(word, cut);
  FUZZ_CHECK(result == pair.reference.word(&expected, &expectedCut), "word read result");
  FUZZ_CHECK(*word == expected, "read '" + *word + "' where '" + expected + "' is next");
  FUZZ_CHECK(*cut == expectedCut, "word cut flag");
  FUZZ_CHECK(word->size() <= InputReader::kWordLimit, "word limit");
  return result != ReadResult::kEnd;
}

// Reads numbers with both readers until the end of input; with the feed's flag, a word after
// each number. Both must agree on every value; the reader's number is at most `limit`
// characters and its text is the number as typed, with the start of what is glued to it up to
// the next white space; a read that finds no number gives 0 and drops the word it stands on.
template <typename Number, typename Read, typename ReadReference>
void checkNumberReads(const Feed& feed, size_t limit, Read read, ReadReference readReference) {
  ReaderPair pair(feed);
  for (;;) {
    Number value{};
    Number expected{};
    NumberText text;
    ReadResult result = read(pair.reader, &value, &text);
    FUZZ_CHECK(result == readReference(pair.reference, &expected), "number read result");
    if (result == ReadResult::kEnd) break;
    const std::string item(pair.reference.lastItem());
    FUZZ_CHECK(std::memcmp(&value, &expected, sizeof value) == 0, "value read from '" + item + "'");
    FUZZ_CHECK(std::isfinite(static_cast<double>(value)), "a finite value from '" + item + "'");
    if (result == ReadResult::kValue) {
      FUZZ_CHECK(item.size() <= limit, "number longer than its limit: '" + item + "'");
      FUZZ_CHECK(text.typed == item, "typed '" + text.typed + "' where '" + item + "' was read");
      std::string_view rest = pair.reference.rest();
      size_t glued = 0;
      while (glued < rest.size() && glued < InputReader::kExcerptLimit &&
             !isInputWhiteSpace(static_cast<unsigned char>(rest[glued]))) {
        ++glued;
      }
      FUZZ_CHECK(text.glued == rest.substr(0, glued), "glued '" + text.glued + "' after '" + item);
    } else {
      FUZZ_CHECK(value == 0, "no number reads as 0");
      FUZZ_CHECK(!text.typed.empty() && text.typed.size() <= InputReader::kExcerptLimit &&
                     item.compare(0, text.typed.size(), text.typed) == 0,
                 "dropped '" + text.typed + "' is not the start of '" + item + "'");
      FUZZ_CHECK(text.glued.empty(), "glued text without a number");
    }
    std::string word;
    bool cut = false;
    if (feed.flag && !checkNextWord(pair, &word, &cut)) break;
  }
}

}  // namespace survey::fuzzing
