// The order of the two output paths, on a terminal and redirected.
#include "console/console_stream.h"

#include <gtest/gtest.h>

#include "support/fakes.h"

namespace survey::testing {
namespace {

TEST(ConsoleStream, PendingTextFollowsADirectPrint) {
  for (bool isTerminal : {true, false}) {
    FakeOutput sink;
    ConsoleStream stream(sink, isTerminal);
    stream.line("first");
    stream.write("pending");
    stream.printDirect("direct\n");
    stream.endLine();
    stream.write("tail");
    stream.flushAll();
    EXPECT_EQ(sink.text, "first\ndirect\npending\ntail") << isTerminal;
  }
}

TEST(ConsoleStream, RedirectedLinesGoOutInBlocksButATerminalGetsEachLine) {
  FakeOutput piped, terminal;
  ConsoleStream pipedStream(piped, false), terminalStream(terminal, true);
  for (int i = 0; i < 1000; ++i) {
    pipedStream.line("a line of text");
    terminalStream.line("a line of text");
  }
  EXPECT_EQ(terminal.writes, 1000);
  EXPECT_EQ(piped.writes, 0);  // held until a print, a read, or exit
  pipedStream.flushAll();
  EXPECT_EQ(piped.writes, 1);
  EXPECT_EQ(piped.text, terminal.text);
}

TEST(ConsoleStream, AFullPendingBufferGoesOutAheadOfADirectPrint) {
  FakeOutput sink;
  ConsoleStream stream(sink, true);
  const std::string longText(600, 'x');
  stream.write(longText);
  stream.printDirect("direct");
  stream.flushAll();
  EXPECT_EQ(sink.text, longText + "direct");
}

TEST(ConsoleStream, KeepsTheFirstFailureAndStopsWriting) {
  FakeOutput sink;
  sink.failAfter = 5;
  ConsoleStream stream(sink, true);
  stream.line("hello world");
  stream.line("again");
  EXPECT_FALSE(stream.status().ok());
  EXPECT_EQ(sink.writes, 1);
}

}  // namespace
}  // namespace survey::testing
