// The word reader against its rules: white space skipped, the word taken whole up to the
// next white space, cut at 4096 bytes with the rest dropped. Reading every word of the input
// gives back the input without its white space when no word was cut.
#include <cstdint>

#include "reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace survey;
  using namespace survey::fuzzing;
  Feed feed = splitFeed(data, size);
  testing::FakeInput input(std::string(feed.bytes), feed.chunk);
  InputReader reader(input, nullptr);
  ReferenceReader reference(feed.bytes);
  std::string words;
  bool anyCut = false;
  for (;;) {
    std::string word;
    std::string expected;
    bool cut = false;
    bool expectedCut = false;
    ReadResult result = reader.readWord(&word, &cut);
    FUZZ_CHECK(result == reference.word(&expected, &expectedCut), "word read result");
    if (result == ReadResult::kEnd) break;
    FUZZ_CHECK(word == expected, "read '" + word + "', expected '" + expected + "'");
    FUZZ_CHECK(!word.empty() && word.size() <= InputReader::kWordLimit, "word length");
    FUZZ_CHECK(cut == expectedCut, "cut flag");
    for (char c : word) FUZZ_CHECK(!isInputWhiteSpace(static_cast<unsigned char>(c)), word);
    words += word;
    anyCut = anyCut || cut;
  }
  if (!anyCut) {
    std::string solid;
    for (char c : feed.bytes) {
      if (!isInputWhiteSpace(static_cast<unsigned char>(c))) solid.push_back(c);
    }
    FUZZ_CHECK(words == solid, "the words are the input without white space");
  }
  std::string word;
  bool cut = false;
  FUZZ_CHECK(reader.readWord(&word, &cut) == ReadResult::kEnd, "the end of input stays the end");
  return 0;
}
