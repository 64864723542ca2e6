// The notices of the prompts' reads: what a read did to an answer and what it left on the line.
#include "console/prompt.h"

#include <gtest/gtest.h>

#include "support/fakes.h"

namespace survey::testing {
namespace {

enum class Kind { kWhole, kReal, kWord };

struct PromptCase {
  Kind kind;
  std::string keys;
  bool terminal;  // standard input is a terminal
  int reads;      // reads at the prompt "p"
  std::string notices;
};

// Reads `c.reads` items of its kind at the prompt "p" and returns the notices written.
std::string noticesOf(const PromptCase& c) {
  FakeInput input(c.keys);
  FakeOutput output;
  FakeOutput errors;
  ConsoleStream stream(output, false);
  InputReader reader(input, nullptr);
  Notices notices(stream, errors, "survey");
  Console console{stream, reader, notices, c.terminal};
  for (int i = 0; i < c.reads; ++i) {
    int whole = 0;
    double real = 0;
    std::string word;
    bool read = c.kind == Kind::kWhole  ? readWholeNumber(console, "p", &whole, -1)
                : c.kind == Kind::kReal ? readRealAnswer(console, "p", &real)
                                        : readWordAnswer(console, "p", &word);
    EXPECT_TRUE(read) << c.keys;
  }
  EXPECT_EQ(output.text, "");
  return errors.text;
}

TEST(Prompts, NameWhatAnAnswerLeavesForTheNextPrompts) {
  const PromptCase cases[] = {
      // Text glued to a number, whatever the input.
      {Kind::kReal, "36,5\n", false, 1,
       "survey: p: \"36,5\" is read as 36; \",5\" goes to the next prompt\n"},
      {Kind::kReal, "1.5.3\n", false, 1,
       "survey: p: \"1.5.3\" is read as 1.5; \".3\" goes to the next prompt\n"},
      {Kind::kReal, "0x10\n", false, 1,
       "survey: p: \"0x10\" is read as 0; \"x10\" goes to the next prompt\n"},
      {Kind::kWhole, "08\n", false, 1,
       "survey: p: \"08\" is read as 0; \"8\" goes to the next prompt\n"},
      // No prompt follows the last value.
      {Kind::kWhole, "-1x\n", true, 1, ""},
      // Words left on a line: named at a terminal, once per line; piped, never.
      {Kind::kWord, "Port Harcourt\n", false, 1, ""},
      {Kind::kReal, "36 5\n", false, 1, ""},
      {Kind::kWord, "Port Harcourt\n", true, 1,
       "survey: p: \"Port\" is the answer; \"Harcourt\" goes to the next prompt\n"},
      {Kind::kWord, "Port Harcourt\tRivers\nLagos\n", true, 4,
       "survey: p: \"Port\" is the answer; 2 words go to the next prompts: \"Harcourt Rivers\"\n"},
      {Kind::kReal, "36,5 7\n", true, 1,
       "survey: p: \"36,5\" is read as 36; 2 words go to the next prompts: \",5 7\"\n"},
      {Kind::kWhole, "abc 2\n", true, 1,
       "survey: p: \"abc\" is not a whole number; 0 is used\n"
       "survey: p: \"2\" goes to the next prompt\n"},
      // What the reads did to the answer itself.
      {Kind::kReal, "trzydzie\xc5\x9b\x63i\n", false, 1,
       "survey: p: \"trzydzie\xc5\x9b\x63i\" is not a number; 0 is stored\n"},
      {Kind::kWord, "Lon\x1b[Ddon\n", false, 1,
       "survey: p: the answer \"Lon^[[Ddon\" holds control characters (arrow keys typed at a "
       "prompt put them there); it is stored as typed and shown in caret notation\n"},
      {Kind::kWord, "Lon\xc2\x9bKdon\n", false, 1,
       "survey: p: the answer \"Lon<U+009B>Kdon\" holds control characters (arrow keys typed at "
       "a prompt put them there); it is stored as typed and shown in caret notation\n"},
  };
  for (const PromptCase& c : cases) EXPECT_EQ(noticesOf(c), c.notices) << c.keys;
}

}  // namespace
}  // namespace survey::testing
