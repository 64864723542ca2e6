// Writing an output file beside its target and renaming it into place.
#include "export/output_file.h"

#include <utility>

#include "records/store_files.h"

namespace survey {

OutputFile::OutputFile(FileSystem& files, std::string target, std::unique_ptr<StoreFile> file)
    : files_(files), target_(std::move(target)), file_(std::move(file)) {}

OutputFile::~OutputFile() { discard(); }

Status OutputFile::create(FileSystem& files, const std::string& target,
                          std::unique_ptr<OutputFile>* file) {
  const std::string partial = target + kPartialSuffix;
  std::unique_ptr<StoreFile> opened;
  Status created = files.createExclusive(partial, &opened);
  if (!created.ok()) {
    // A killed run's leftover: only this program writes by that name.
    std::string leftover;
    FileFacts facts;
    if (!files.readBounded(partial, kWaitBeforeNotice, 0, &leftover, &facts).ok() ||
        !files.remove(partial, kWaitBeforeNotice).ok()) {
      return created;
    }
    if (created = files.createExclusive(partial, &opened); !created.ok()) return created;
  }
  file->reset(new OutputFile(files, target, std::move(opened)));
  return Status();
}

Status OutputFile::write(std::string_view bytes) {
  if (file_ == nullptr) return Status::error("the file is closed");
  size_t written = 0;  // all of them unless the append fails
  return file_->append(bytes, &written);
}

Status OutputFile::commit() {
  if (file_ == nullptr) return Status::error("the file is closed");
  if (Status synced = file_->sync(); !synced.ok()) return synced;
  file_.reset();
  if (Status renamed = files_.rename(target_ + kPartialSuffix, target_); !renamed.ok()) {
    files_.remove(target_ + kPartialSuffix, kWaitBeforeNotice);
    return renamed;
  }
  return files_.syncDirectory(target_);
}

void OutputFile::discard() {
  if (file_ == nullptr) return;
  file_.reset();
  files_.remove(target_ + kPartialSuffix, kWaitBeforeNotice);
}

}  // namespace survey
