// An output file that appears whole or not at all: written beside its target under another
// name and renamed into place once complete.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/env.h"

namespace survey {

class OutputFile : public ConsoleOutput {
 public:
  // Creates the file that is written in place of `target`: the target's name with
  // kPartialSuffix, beside it. A leftover of that name from a run that was killed is replaced.
  static Status create(FileSystem& files, const std::string& target,
                       std::unique_ptr<OutputFile>* file);
  // The part of an unfinished file's name after its target's.
  static constexpr const char* kPartialSuffix = ".partial";

  // Removes the unfinished file unless it was committed.
  ~OutputFile() override;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Appends all of `bytes`; fails as the file system does (a full disk).
  Status write(std::string_view bytes) override;
  // Syncs the file, renames it to the target and syncs the directory. Once it fails, or
  // without it, the target is left as it was.
  Status commit();
  const std::string& target() const { return target_; }

 private:
  OutputFile(FileSystem& files, std::string target, std::unique_ptr<StoreFile> file);
  void discard();

  FileSystem& files_;
  std::string target_;
  std::unique_ptr<StoreFile> file_;  // null once committed or discarded
};

}  // namespace survey
