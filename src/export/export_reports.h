// What survey-export tells on standard error: skipped lines, folded once they repeat, and a
// summary per file; and the fingerprints that find duplicate records.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "console/characters.h"
#include "platform/env.h"
#include "reader/record_outcomes.h"

namespace survey {

// The fingerprints seen: an open-addressing table of 64-bit slots, at most 15/16 full. Only a
// file of the shortest records fills it so far: the peak memory stays within bounds.
class FingerprintSet {
 public:
  // Makes room for `more` fingerprints besides those kept, so that inserting them allocates
  // nothing: a file's size bounds its records, and the table is sized once for them.
  void reserve(uint64_t more);
  // Whether the fingerprint is new; it is kept either way. Grows the table when it is full.
  bool insert(uint64_t fingerprint);
  // Asks the processor for the fingerprint's slot ahead of its insert, for a caller with other
  // work to do meanwhile (the database binds the row's values).
  void prefetch(uint64_t fingerprint) const {
    if (!slots_.empty()) __builtin_prefetch(&slots_[slotOf(fingerprint + (fingerprint == 0))]);
  }

 private:
  void resize(size_t slots);
  // The fingerprint's high half scaled to the table: any size of table, no division.
  size_t slotOf(uint64_t fingerprint) const {
    return static_cast<size_t>((fingerprint >> 32) * slots_.size() >> 32);
  }

  std::vector<uint64_t> slots_;  // 0 marks an empty slot; a fingerprint 0 is kept as 1
  size_t count_ = 0;
};

class ExportReports {
 public:
  // Reports of one kind in one file shown before the rest are only counted.
  static constexpr uint64_t kShownOfAKind = 10;

  // Each report goes to `errors` as one line, "program: " first.
  ExportReports(std::string program, ConsoleOutput& errors)
      : program_(std::move(program)), errors_(errors) {}

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

 private:
  struct FileTally {
    std::string name;
    uint64_t exported = 0, duplicates = 0, records = 0, outsideLines = 0, findings = 0;
    uint64_t ofKind[static_cast<size_t>(Fault::kNotInRecord) + 1] = {};
    std::string summary;
  };
  FileTally& file() { return files_.back(); }
  // Control characters, of a file name say, are shown in caret notation.
  void report(const std::string& text) {
    errors_.write(program_ + ": " + shownOnOneLine(text) + "\n");
  }

  std::string program_;
  ConsoleOutput& errors_;
  std::vector<FileTally> files_;
  std::string database_;
  bool checking_ = false;
  int status_ = 0;
};

}  // namespace survey
