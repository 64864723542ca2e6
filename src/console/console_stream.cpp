// The console stream's buffering and the order of its two output paths.
#include "console/console_stream.h"

namespace survey {
namespace {

constexpr size_t kPendingCapacity = 512;
constexpr size_t kBlockSize = 64 * 1024;

}  // namespace

ConsoleStream::ConsoleStream(ConsoleOutput& sink, bool isTerminal)
    : sink_(sink), isTerminal_(isTerminal) {
  pending_.reserve(kPendingCapacity);
}

void ConsoleStream::write(std::string_view text) {
  pending_.append(text);
  if (pending_.size() >= kPendingCapacity) commitPending();
}

void ConsoleStream::write(long long number) { write(std::to_string(number)); }

void ConsoleStream::endLine() {
  pending_.push_back('\n');
  commitPending();
}

void ConsoleStream::writeLines(std::string_view lines) {
  commitPending();
  if (lines.size() >= kBlockSize) {  // large enough to go out as it is, without a copy
    flushLines();
    send(lines);
    return;
  }
  lines_.append(lines);
  if (isTerminal_ || lines_.size() >= kBlockSize) flushLines();
}

void ConsoleStream::printDirect(std::string_view text) {
  flushLines();
  send(text);
}

void ConsoleStream::flushLines() {
  if (lines_.empty()) return;
  send(lines_);
  lines_.clear();
}

void ConsoleStream::flushAll() {
  commitPending();
  flushLines();
}

void ConsoleStream::commitPending() {
  if (pending_.empty()) return;
  if (isTerminal_ && lines_.empty()) {
    send(pending_);
  } else {
    lines_.append(pending_);
    if (isTerminal_ || lines_.size() >= kBlockSize) flushLines();
  }
  pending_.clear();
}

void ConsoleStream::send(std::string_view bytes) {
  if (!status_.ok()) return;
  status_ = sink_.write(bytes);
}

}  // namespace survey
