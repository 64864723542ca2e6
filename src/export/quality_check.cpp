// The check's memory of the records before: identities, answers and the latest run date.
#include "export/quality_check.h"

#include <string_view>

#include "export/row_writers.h"
#include "reader/record_id.h"

namespace survey {
namespace {

constexpr size_t kFirstAnswerColumn = 5;  // entryDate; the figures follow the answers

}  // namespace

void QualityCheck::appendHeader(std::string* out) {
  const std::string_view columns[] = {"file", "line",  "recordId", "column",
                                      "rule", "value", "detail"};
  appendCsvValues(columns, std::size(columns), /*safeCells=*/false, out);
}

void QualityCheck::beginFile(std::string_view name, std::optional<CalendarDay> changed) {
  files_.emplace_back(name);
  fileChanged_ = changed;
  latestRunDate_.reset();
}

const std::vector<Finding>& QualityCheck::check(const RecordRow& row, std::string* out) {
  const Place here{files_.size() - 1,
                   std::strtoull(std::string(row.fields[kLineColumn]).c_str(), nullptr, 10)};
  RuleContext context;
  context.fileChanged = fileChanged_;
  if (latestRunDate_) {
    context.latestRunDate = latestRunDate_;
    context.latestRunPlace = placeOf(latestRunPlace_);
  }
  if (auto [at, added] = byId_.try_emplace(row.recordId, here); !added) {
    context.sameId = placeOf(at->second);
  }
  const uint64_t answers =
      recordIdOf(row.fields + kFirstAnswerColumn, kColumnCount - kFirstAnswerColumn, &scratch_);
  const uint64_t run = recordIdOf(row.fields + kRunDateColumn, 2, &scratch_);
  if (auto [at, added] = byAnswers_.try_emplace(answers, Answers{here, run});
      !added && at->second.run != run) {
    context.sameAnswers = placeOf(at->second.place);
  }
  if (auto day = readDate(row.fields[kRunDateColumn]);
      day && (!latestRunDate_ || dayNumber(*day) > dayNumber(*latestRunDate_))) {
    latestRunDate_ = day;
    latestRunPlace_ = here;
  }

  found_.clear();
  for (const QualityRule& rule : qualityRules()) rule.check(row, context, &found_);
  findings_ += found_.size();
  for (const Finding& finding : found_) {
    if (out == nullptr) break;
    const std::string_view values[] = {row.fields[kFileColumn],
                                       row.fields[kLineColumn],
                                       row.fields[kRecordIdColumn],
                                       kColumnNames[finding.column],
                                       finding.rule,
                                       finding.value,
                                       finding.detail};
    appendCsvValues(values, std::size(values), safeCells_, out);
  }
  return found_;
}

}  // namespace survey
