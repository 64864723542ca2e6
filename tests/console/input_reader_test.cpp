// The three readers: what they take, what they leave, and how they fail.
#include "console/input_reader.h"

#include <gtest/gtest.h>

#include "support/fakes.h"

namespace survey::testing {
namespace {

// Reads with `read`, then returns the word that is left after it ("<end>" at the end).
template <typename Read>
std::string leftAfter(InputReader& reader, Read read) {
  read(reader);
  std::string word;
  bool cut = false;
  return reader.readWord(&word, &cut) == ReadResult::kEnd ? "<end>" : word;
}

struct WholeCase {
  const char* input;
  ReadResult result;
  int value;
  const char* left;
};

TEST(InputReader, WholeNumbers) {
  const WholeCase cases[] = {
      {"42", ReadResult::kValue, 42, "<end>"},
      {"  \t\n\r\v\f-17 x", ReadResult::kValue, -17, "x"},
      {"010", ReadResult::kValue, 8, "<end>"},
      {"08", ReadResult::kValue, 0, "8"},
      {"0x1F", ReadResult::kValue, 31, "<end>"},
      {"0x", ReadResult::kValue, 0, "<end>"},
      {"0xg", ReadResult::kValue, 0, "g"},
      {"-0x80000000", ReadResult::kValue, -2147483647 - 1, "<end>"},
      {"0x7FFFFFFF", ReadResult::kValue, 2147483647, "<end>"},
      {"2147483648", ReadResult::kValue, 2147483647, "<end>"},
      {"-2147483649", ReadResult::kValue, -2147483647 - 1, "<end>"},
      {"123456789012345678", ReadResult::kValue, 2147483647, "678"},
      {"+00000000000000001", ReadResult::kValue, 0, "001"},  // 15 characters: "+" and 14 zeros
      {"12abc", ReadResult::kValue, 12, "abc"},
      {"abc def", ReadResult::kNoNumber, 0, "def"},
      {"-", ReadResult::kNoNumber, 0, "<end>"},
      {"+x5 6", ReadResult::kNoNumber, 0, "6"},
      {"", ReadResult::kEnd, 0, "<end>"},
      {" \n\n ", ReadResult::kEnd, 0, "<end>"},
  };
  for (const WholeCase& c : cases) {
    for (size_t chunk : {size_t{1}, size_t{3}, size_t{1} << 20}) {
      FakeInput input(c.input, chunk);
      InputReader reader(input, nullptr);
      int value = -999;
      ReadResult result = ReadResult::kEnd;
      NumberText text;
      std::string left =
          leftAfter(reader, [&](InputReader& r) { result = r.readWholeNumber(&value, &text); });
      EXPECT_EQ(result, c.result) << c.input;
      if (result != ReadResult::kEnd) {
        EXPECT_EQ(value, c.value) << c.input;
      }
      EXPECT_EQ(left, c.left) << c.input << " chunk " << chunk;
    }
  }
}

struct RealCase {
  const char* input;
  ReadResult result;
  double value;
  const char* left;
};

TEST(InputReader, RealNumbers) {
  const RealCase cases[] = {
      {"30", ReadResult::kValue, 30, "<end>"},
      {"-2.5e3 next", ReadResult::kValue, -2500, "next"},
      {".5", ReadResult::kValue, 0.5, "<end>"},
      {"5.", ReadResult::kValue, 5, "<end>"},
      {"1E+2", ReadResult::kValue, 100, "<end>"},
      {"5e", ReadResult::kValue, 5, "e"},
      {"5e+x", ReadResult::kValue, 5, "e+x"},
      {"30abc", ReadResult::kValue, 30, "abc"},
      {"1.2.3", ReadResult::kValue, 1.2, ".3"},
      {"123456789012345678901234567", ReadResult::kValue, 123456789012345678901234567.0, "<end>"},
      {"1234567890123456789012345678 x", ReadResult::kNoNumber, 0, "x"},
      {"1e999 x", ReadResult::kNoNumber, 0, "x"},
      {"-1e999", ReadResult::kNoNumber, 0, "<end>"},
      {"abc def", ReadResult::kNoNumber, 0, "def"},
      {"- 4", ReadResult::kNoNumber, 0, "4"},
      {". 4", ReadResult::kNoNumber, 0, "4"},
      {"e5 4", ReadResult::kNoNumber, 0, "4"},
      {"0x10", ReadResult::kValue, 0, "x10"},
      {"inf", ReadResult::kNoNumber, 0, "<end>"},
      {"", ReadResult::kEnd, 0, "<end>"},
  };
  for (const RealCase& c : cases) {
    for (size_t chunk : {size_t{1}, size_t{1} << 20}) {
      FakeInput input(c.input, chunk);
      InputReader reader(input, nullptr);
      double value = -999;
      ReadResult result = ReadResult::kEnd;
      NumberText text;
      std::string left =
          leftAfter(reader, [&](InputReader& r) { result = r.readReal(&value, &text); });
      EXPECT_EQ(result, c.result) << c.input;
      if (result != ReadResult::kEnd) {
        EXPECT_DOUBLE_EQ(value, c.value) << c.input;
      }
      EXPECT_EQ(left, c.left) << c.input;
    }
  }
}

TEST(InputReader, WordsAreKeptWholeUpToTheLimit) {
  const std::string longWord(5000, 'w');
  const struct {
    std::string input;
    std::string word;
    bool cut;
    const char* left;
  } cases[] = {
      {"Ada Lovelace", "Ada", false, "Lovelace"},
      {"\n\n  Learning-Centre-One\n", "Learning-Centre-One", false, "<end>"},
      {std::string(19, 'a') + "bcdef", std::string(19, 'a') + "bcdef", false, "<end>"},
      {"Z\xc3\xbcrich x", "Z\xc3\xbcrich", false, "x"},
      {longWord + " next", longWord.substr(0, InputReader::kWordLimit), true, "next"},
      {std::string(InputReader::kWordLimit, 'q'), std::string(InputReader::kWordLimit, 'q'), false,
       "<end>"},
      // The cut falls between UTF-8 characters, never inside one.
      {std::string(4095, 'a') + "\xc3\xa9 next", std::string(4095, 'a'), true, "next"},
      {std::string(4094, 'a') + "\xf0\x9f\x98\x80 next", std::string(4094, 'a'), true, "next"},
      {std::string(4094, 'a') + "\xc3\xa9z next", std::string(4094, 'a') + "\xc3\xa9", true,
       "next"},
  };
  for (const auto& c : cases) {
    for (size_t chunk : {size_t{7}, size_t{1} << 20}) {
      FakeInput input(c.input, chunk);
      InputReader reader(input, nullptr);
      std::string word;
      bool cut = false;
      std::string left = leftAfter(
          reader, [&](InputReader& r) { EXPECT_EQ(r.readWord(&word, &cut), ReadResult::kValue); });
      EXPECT_EQ(word, c.word);
      EXPECT_EQ(cut, c.cut);
      EXPECT_EQ(left, c.left);
    }
  }
}

TEST(InputReader, NamesOnlyTheWordsLeftOnALineThatHaveArrived) {
  for (size_t chunk : {size_t{1}, size_t{1} << 20}) {
    FakeInput input("Port  Harcourt\tRivers\n", chunk);
    InputReader reader(input, nullptr);
    std::string word;
    bool cut = false;
    ASSERT_EQ(reader.readWord(&word, &cut), ReadResult::kValue);
    const int reads = input.reads;
    // Read one byte at a time, only the blank after the word is there yet: nothing waits.
    EXPECT_EQ(reader.newWordsOnLine(), chunk == 1 ? "" : "Harcourt Rivers");
    EXPECT_EQ(input.reads, reads);
  }
}

TEST(InputReader, WaitsOnlyAfterTellingTheConsoleStreamAndNeverAfterTheEnd) {
  FakeInput input("1 2\n", 2);
  int flushes = 0;
  InputReader reader(input, [&] { ++flushes; });
  int value = 0;
  NumberText text;
  ASSERT_EQ(reader.readWholeNumber(&value, &text), ReadResult::kValue);
  EXPECT_EQ(flushes, input.reads);
  ASSERT_EQ(reader.readWholeNumber(&value, &text), ReadResult::kValue);
  EXPECT_EQ(value, 2);
  EXPECT_EQ(reader.readWholeNumber(&value, &text), ReadResult::kEnd);
  int readsAtEnd = input.reads;
  EXPECT_EQ(reader.readWholeNumber(&value, &text), ReadResult::kEnd);
  EXPECT_EQ(input.reads, readsAtEnd);
}

}  // namespace
}  // namespace survey::testing
