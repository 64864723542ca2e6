// The word reader against its rules: white space skipped, the word taken whole up to the
// next white space, cut at 4096 bytes with the rest dropped. Reading every word of the input
// gives back the input without its white space when no word was cut.
#include <cstdint>

#include "reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace survey;
  using namespace survey::fuzzing;
  Feed feed = splitFeed(data, size);
  ReaderPair pair(feed);
  std::string words;
  bool anyCut = false;
  std::string word;
  bool cut = false;
  while (checkNextWord(pair, &word, &cut)) {
    FUZZ_CHECK(!word.empty(), "an empty word");
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
  FUZZ_CHECK(!checkNextWord(pair, &word, &cut), "the end of input stays the end");
  return 0;
}
