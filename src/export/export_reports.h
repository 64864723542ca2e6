// What survey-export tells on standard error: skipped lines, folded once they repeat, and a
// summary per file; and the fingerprints that find duplicate records.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "console/characters.h"
#include "reader/record_outcomes.h"

namespace survey {

// The fingerprints seen: an open-addressing table of 64-bit slots, 8 bytes a record at most
// three quarters full, in segments so that growing it frees the old table as the new one fills.
class FingerprintSet {
 public:
  // Whether the fingerprint is new; it is kept either way.
  bool insert(uint64_t fingerprint);
  // Asks the processor to bring the fingerprint's slot into the cache for an insert a little
  // later: the table is larger than the cache, and a wait for memory costs as much as a record.
  void prefetch(uint64_t fingerprint) const;

 private:
  static constexpr size_t kSegmentBits = 13;  // 8192 slots, 64 KiB
  static constexpr size_t kSegmentSize = size_t{1} << kSegmentBits;
  // Whether the fingerprint (never 0, which marks an empty slot) was not there.
  bool place(uint64_t fingerprint);
  void grow();

  std::vector<std::unique_ptr<uint64_t[]>> segments_ = std::vector<std::unique_ptr<uint64_t[]>>(1);
  size_t mask_ = kSegmentSize - 1;
  size_t count_ = 0;
};

class ExportReports {
 public:
  // Reports of one kind in one file shown before the rest are only counted.
  static constexpr uint64_t kShownOfAKind = 10;

  // Each report goes to `write` as one line, ending with a line end.
  explicit ExportReports(std::string program) : program_(std::move(program)) {}
  virtual ~ExportReports() = default;

  void beginFile(std::string_view name);
  void skipped(const SkippedLines& lines);
  void exported(bool duplicate) { ++(duplicate ? file().duplicates : file().exported); }
  // `readFailed`: the file's bytes stopped before its end; `codePage`: the name given to read
  // answers that are not UTF-8 (empty: none); `unique`: duplicates were left out.
  void endFile(const FileNotes& notes, bool readFailed, std::string_view codePage, bool unique);
  // Records go into the database `name`: the summary tells those new to it and those it had.
  void intoDatabase(std::string name) { database_ = std::move(name); }
  // Records are checked, not exported: the summary tells those checked and the findings.
  void checking() { checking_ = true; }
  void found(uint64_t findings) { file().findings += findings; }
  // One line per file read.
  void summarize();
  // 1 once lines were skipped, else 0.
  int status() const { return status_; }

 protected:
  virtual void write(const std::string& line) = 0;

 private:
  struct FileTally {
    std::string name;
    uint64_t exported = 0, duplicates = 0, records = 0, outsideLines = 0, findings = 0;
    uint64_t ofKind[static_cast<size_t>(Fault::kNotInRecord) + 1] = {};
    std::string summary;
  };
  FileTally& file() { return files_.back(); }
  // Control characters, of a file name say, are shown in caret notation.
  void report(const std::string& text) { write(program_ + ": " + shownOnOneLine(text) + "\n"); }

  std::string program_;
  std::vector<FileTally> files_;
  std::string database_;
  bool checking_ = false;
  int status_ = 0;
};

}  // namespace survey
