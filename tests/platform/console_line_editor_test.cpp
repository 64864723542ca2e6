// Lines and keys split out of console input where the console edits the lines itself.
#include "platform/console_line_editor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fakes.h"

namespace survey::testing {
namespace {

// What each call gave: "L:text" for a line, "K:c" for a key, "end".
std::string take(ConsoleLineEditor& editor, char call) {
  std::string line;
  char key = 0;
  const LineRead got = call == 'L' ? editor.readLine("> ", 0, &line) : editor.readKey(&key);
  if (got == LineRead::kEnd) return "end";
  return call == 'L' ? "L:" + line : std::string("K:") + key;
}

TEST(ConsoleLineEditor, SplitsTheInputIntoLinesAndKeys) {
  const struct {
    const char* name;
    std::string input;
    size_t chunk;       // bytes per read, as a console hands them
    std::string calls;  // L a line, K a key
    std::vector<std::string> expected;
  } cases[] = {
      {"CR LF line ends", "Ana Kowal\r\n36\r\n", 64, "LLL", {"L:Ana Kowal", "L:36", "end"}},
      {"a line across reads", "Port Harcourt\n", 3, "LL", {"L:Port Harcourt", "end"}},
      {"a last line without its end", "Ana\nKano", 64, "LLL", {"L:Ana", "L:Kano", "end"}},
      {"a key is the first byte of a line; Enter alone is CR",
       "kx\n\r\nq\n",
       64,
       "KKKK",
       {"K:k", "K:\r", "K:q", "end"}},
      {"the end of input stays the end", "", 64, "LKL", {"end", "end", "end"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeInput input(c.input, c.chunk);
    FakeOutput shown;
    ConsoleLineEditor editor(input, shown);
    std::vector<std::string> got;
    for (char call : c.calls) got.push_back(take(editor, call));
    EXPECT_EQ(got, c.expected);
    // Each line read showed its prompt on the console; a key read shows nothing.
    std::string prompts;
    for (char call : c.calls) prompts += call == 'L' ? "> " : "";
    EXPECT_EQ(shown.text, prompts);
  }
}

}  // namespace
}  // namespace survey::testing
