// Every fault of a run, uncapped, as a CSV file of its own beside the reports.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/env.h"
#include "reader/record_outcomes.h"

namespace survey {

// The columns: file, firstLine, lastLine, why. Rows are kept in a block and appended to the
// file whenever it fills; the file is created, or emptied when it is a regular file.
class FaultList {
 public:
  // Fails with the file system's reason (a directory, no room in the folder).
  Status open(FileSystem& files, const std::string& path, bool safeCells);
  void add(std::string_view file, const SkippedLines& lines);
  // Writes the rows kept; the first failure of any write, else success.
  Status flush();

 private:
  static constexpr size_t kBlockSize = 64 * 1024;

  std::unique_ptr<StoreFile> file_;
  bool safeCells_ = false;
  std::string block_;
  Status written_;
};

}  // namespace survey
