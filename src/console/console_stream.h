// The console stream: buffered console text, and the direct print that bypasses it.
#pragma once

#include <string>
#include <string_view>

#include "platform/env.h"

namespace survey {

// Text written without a line end stays pending (up to 512 characters) while direct prints go
// out at once, so a direct print shows before it. A line end flushes the pending text; when
// standard output is not a terminal, flushed lines gather in a large block instead of one
// write each, and the block goes out before any direct print, read or exit, so the bytes come
// out in the order a terminal would show them.
class ConsoleStream {
 public:
  ConsoleStream(ConsoleOutput& sink, bool isTerminal);

  void write(std::string_view text);
  void write(long long number);
  void endLine();
  void line(std::string_view text) {
    write(text);
    endLine();
  }
  void spacer() { line(" "); }

  // Text in bulk, such as a listing: sent in large blocks, each at once on a terminal.
  void writeLines(std::string_view lines);

  // A direct print: goes out now, ahead of any pending text.
  void printDirect(std::string_view text);

  // Sends the flushed lines (not the pending text), as before a direct print.
  void flushLines();
  // Sends everything, pending text included: before a read and at exit.
  void flushAll();

  // The first failure of standard output, if any; later output is dropped.
  const Status& status() const { return status_; }

 private:
  void send(std::string_view bytes);
  void commitPending();

  ConsoleOutput& sink_;
  bool isTerminal_;
  std::string pending_;
  std::string lines_;
  Status status_;
};

}  // namespace survey
