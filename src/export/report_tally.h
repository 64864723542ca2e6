// What survey-report counts while the records stream by: records per file and run date, each
// answer column's frequencies and missing-like answers, the ages, and the check's findings.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "export/frequency_table.h"
#include "export/quality_check.h"
#include "reader/record_outcomes.h"

namespace survey {

// Ages in decades: below 0, 0-9, ..., 90-99, 100 and over.
struct AgeHistogram {
  static constexpr size_t kBins = 12;
  std::array<uint64_t, kBins> counts{};
  uint64_t notNumbers = 0;  // answers that are not a number (typed ages only)
  void add(double age);
  // "below 0", "0-9", ..., "100+".
  static std::string binName(size_t bin);
};

class ReportTally : public RecordSink {
 public:
  static constexpr size_t kFirstAnswer = 5, kLastAnswer = 25;  // entryDate to country
  static constexpr size_t kLocatedPerRule = 3;

  ReportTally() = default;
  // Not copied: it keeps an iterator into its own map.
  ReportTally(const ReportTally&) = delete;
  ReportTally& operator=(const ReportTally&) = delete;

  void beginFile(std::string name, std::optional<CalendarDay> changed = std::nullopt);
  void record(const RecordRow& row) override;
  void skipped(const SkippedLines& lines) override;

  struct FileCount {
    std::string name;
    uint64_t records = 0, skipped = 0;  // skipped: stretches of lines
  };
  struct RuleCount {
    uint64_t count = 0;
    std::vector<std::string> located;  // "file:line column value", the first few
  };

  const std::vector<FileCount>& files() const { return files_; }
  const std::map<std::string, uint64_t>& runDates() const { return runDates_; }
  const FrequencyTable& answers(size_t column) const { return answers_[column - kFirstAnswer]; }
  uint64_t missing(size_t column) const { return missing_[column - kFirstAnswer]; }
  const AgeHistogram& typedAges() const { return typedAges_; }
  const AgeHistogram& sameAges() const { return sameAges_; }
  const std::map<std::string, RuleCount>& findings() const { return findings_; }
  uint64_t records() const { return records_; }

 private:
  static constexpr size_t kAnswerCount = kLastAnswer - kFirstAnswer + 1;
  std::vector<FileCount> files_;
  std::map<std::string, uint64_t> runDates_;
  std::map<std::string, uint64_t>::iterator lastRunDate_ = runDates_.end();  // the last counted
  std::array<FrequencyTable, kAnswerCount> answers_;
  std::array<uint64_t, kAnswerCount> missing_{};
  AgeHistogram typedAges_, sameAges_;
  QualityCheck check_;
  std::map<std::string, RuleCount> findings_;
  uint64_t records_ = 0;
};

}  // namespace survey
