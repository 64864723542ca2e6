// The fault list's rows, written in blocks.
#include "export/fault_list.h"

#include <chrono>

#include "export/row_writers.h"

namespace survey {
namespace {

constexpr std::string_view kColumns[] = {"file", "firstLine", "lastLine", "why"};

}  // namespace

Status FaultList::open(FileSystem& files, const std::string& path, bool safeCells) {
  safeCells_ = safeCells;
  Status opened =
      files.openStoreFile(path, OpenMode::kAppend, std::chrono::milliseconds(0), &file_, nullptr);
  if (!opened.ok()) return opened;
  // A device or a pipe has nothing to empty.
  if (file_->isRegular()) {
    if (Status emptied = file_->truncate(0); !emptied.ok()) return emptied;
  }
  appendCsvValues(kColumns, std::size(kColumns), false, &block_);
  return Status();
}

void FaultList::add(std::string_view file, const SkippedLines& lines) {
  const std::string first = std::to_string(lines.firstLine), last = std::to_string(lines.lastLine);
  const std::string_view values[] = {file, first, last, lines.message};
  appendCsvValues(values, std::size(values), safeCells_, &block_);
  if (block_.size() >= kBlockSize) flush();
}

Status FaultList::flush() {
  if (written_.ok() && !block_.empty()) {
    size_t written = 0;
    written_ = file_->append(block_, &written);
  }
  block_.clear();
  return written_;
}

}  // namespace survey
