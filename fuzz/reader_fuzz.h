// Driving a streaming reader and the reference reader side by side over the same input.
#pragma once

#include <cstdint>
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

// Reads one word with both: the reader must leave exactly what the reference leaves.
inline bool checkNextWord(ReaderPair& pair) {
  std::string word;
  std::string expected;
  bool cut = false;
  bool expectedCut = false;
  ReadResult result = pair.reader.readWord(&word, &cut);
  ReadResult expectedResult = pair.reference.word(&expected, &expectedCut);
  FUZZ_CHECK(result == expectedResult, "word read result");
  FUZZ_CHECK(word == expected, "the word '" + word + "' where '" + expected + "' is left");
  FUZZ_CHECK(cut == expectedCut, "word cut flag");
  FUZZ_CHECK(word.size() <= InputReader::kWordLimit, "word limit");
  return result != ReadResult::kEnd;
}

// The excerpt of a word dropped by a failed number read: its first bytes.
inline void checkRejected(const std::string& rejected, std::string_view dropped) {
  FUZZ_CHECK(!dropped.empty(), "a failed read drops a word");
  FUZZ_CHECK(!rejected.empty() && dropped.substr(0, rejected.size()) == rejected,
             "rejected '" + rejected + "' is not the start of '" + std::string(dropped) + "'");
}

}  // namespace survey::fuzzing
