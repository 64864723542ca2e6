// The report's counts, one record at a time.
#include "export/report_tally.h"

namespace survey {
namespace {

constexpr size_t kAgeColumn = 11;
// The notes kept with each spelling counted.
constexpr uint8_t kQuietNote = 1, kNoisyNote = 2;

}  // namespace

void AgeHistogram::add(double age) {
  if (age < 0) {
    ++counts[0];
  } else {
    ++counts[std::min<size_t>(kBins - 1, 1 + static_cast<size_t>(age / 10))];
  }
}

std::string AgeHistogram::binName(size_t bin) {
  if (bin == 0) return "below 0";
  if (bin == kBins - 1) return std::to_string((kBins - 2) * 10) + "+";
  return std::to_string((bin - 1) * 10) + "-" + std::to_string((bin - 1) * 10 + 9);
}

void ReportTally::beginFile(std::string name, std::optional<CalendarDay> changed) {
  check_.beginFile(name, changed);
  files_.push_back(FileCount{std::move(name)});
}

void ReportTally::record(const RecordRow& row) {
  ++records_;
  ++files_.back().records;
  // Records come in runs of one date: the count of the last date is kept at hand.
  const std::string_view runDate = row.fields[kRunDateColumn];
  if (lastRunDate_ == runDates_.end() || lastRunDate_->first != runDate) {
    lastRunDate_ = runDates_.try_emplace(std::string(runDate)).first;
  }
  ++lastRunDate_->second;
  // Every answer hashed and its slot asked for first, then counted: the tables' cache misses
  // overlap instead of coming one after another.
  std::array<uint64_t, kAnswerCount> hashes{};
  for (size_t at = 0; at < kAnswerCount; ++at) {
    hashes[at] = FrequencyTable::hashOf(row.fields[kFirstAnswer + at]);
    answers_[at].prefetch(hashes[at]);
  }
  check_.expect(row, hashes.data(), hashes.size());
  // Each spelling's note tells whether it is quiet (quietAnswer): the check's rules that look
  // at an answer by itself then pass it by.
  uint64_t quiet = 0;
  for (size_t at = 0; at < kAnswerCount; ++at) {
    const std::string_view value = row.fields[kFirstAnswer + at];
    if (isMissingLike(value)) {
      ++missing_[at];
      continue;
    }
    const size_t column = kFirstAnswer + at;
    const uint8_t note = answers_[at].add(value, hashes[at], [column](std::string_view spelling) {
      return quietAnswer(column, spelling) ? kQuietNote : kNoisyNote;
    });
    if (note == kQuietNote) quiet |= uint64_t{1} << column;
  }
  // The check reads the ages for its own rules, and hashes the answers as counted here: the
  // histograms take the ages from it.
  const std::vector<Finding>& found =
      check_.check(row, nullptr, hashes.data(), hashes.size(), quiet);
  const RecordFigures& figures = check_.figures();
  if (figures.typedAge) {
    typedAges_.add(*figures.typedAge);
  } else if (!isMissingLike(row.fields[kAgeColumn])) {
    ++typedAges_.notNumbers;
  }
  if (figures.sum && figures.another) sameAges_.add(*figures.sum - *figures.another);
  for (const Finding& finding : found) {
    RuleCount& rule = findings_[std::string(finding.rule)];
    ++rule.count;
    if (rule.located.size() < kLocatedPerRule) {
      rule.located.push_back(std::string(row.fields[kFileColumn]) + ":" +
                             std::string(row.fields[kLineColumn]) + " " +
                             std::string(kColumnNames[finding.column]) + " " + finding.value);
    }
  }
}

void ReportTally::skipped(const SkippedLines& /*lines*/) { ++files_.back().skipped; }

}  // namespace survey
