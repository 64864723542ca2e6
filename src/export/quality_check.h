// survey-export --check: every record through the data-quality rules, each finding a CSV row.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "export/hash_index.h"
#include "export/quality_rules.h"

namespace survey {

class QualityCheck {
 public:
  // `safeCells`: file names and values get a ' before a leading =, +, -, @, tab or CR.
  explicit QualityCheck(bool safeCells = false) : safeCells_(safeCells) {}

  // The findings' CSV header: file,line,recordId,column,rule,value,detail.
  static void appendHeader(std::string* out);

  // The records that follow are of this file; `changed`: the day it was last changed, if known.
  void beginFile(std::string_view name, std::optional<CalendarDay> changed = std::nullopt);
  // Runs every rule on the record and appends a CSV row per finding to `out` (null: none);
  // returns the findings, valid until the next call. `answerHashes`: FrequencyTable::hashOf of
  // the first `hashed` answers from entryDate on, when the caller has them; the rest are hashed
  // here. `quietColumns`: a bit (1 << column) for each answer known to be quiet (quietAnswer).
  const std::vector<Finding>& check(const RecordRow& row, std::string* out,
                                    const uint64_t* answerHashes = nullptr, size_t hashed = 0,
                                    uint64_t quietColumns = 0);
  // Works out the answers' hash of the record to be checked next, with the same arguments as
  // check, and starts loading its place in the memory of answers: a caller with other work to
  // do before check lets that load overlap it.
  void expect(const RecordRow& row, const uint64_t* answerHashes, size_t hashed);
  uint64_t findings() const { return findings_; }
  // The figures of the record last checked, as the rules read them.
  const RecordFigures& figures() const { return figures_; }

 private:
  // Packed into eight bytes, as one is kept for every record: 16 million files, a trillion lines.
  struct Place {
    uint64_t file : 24;  // into files_
    uint64_t line : 40;
  };
  struct Answers {
    Place place;
    uint64_t run = 0;  // the hash of the run date and time
  };
  RecordPlace placeOf(const Place& place) const { return {files_[place.file], place.line}; }

  std::deque<std::string> files_;  // the names, which the places point to
  // The first record of every set of answers, and its run. A record's identity covers its run
  // and its answers, so a record of the same answers and run is the same record again.
  HashIndex<Answers> byAnswers_;
  // The first record of each identity whose answers came first in another run: the few that
  // the memory of answers alone cannot tell apart.
  HashIndex<Place> byId_;
  std::optional<CalendarDay> fileChanged_;
  // The start time of the last record's run, its hash and its day.
  std::string runDate_, runTime_;
  uint64_t runHash_ = 0;
  std::optional<CalendarDay> runDay_;
  bool runKnown_ = false;
  std::optional<CalendarDay> latestRunDate_;
  Place latestRunPlace_;
  std::string scratch_;
  // The answers' hash that expect() worked out for the next record, if it did.
  uint64_t expectedAnswers_ = 0;
  bool expected_ = false;
  std::vector<Finding> found_;
  RecordFigures figures_;
  uint64_t findings_ = 0;
  bool safeCells_ = false;
};

}  // namespace survey
