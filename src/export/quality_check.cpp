// The check's memory of the records before: identities, answers and the latest run date.
#include "export/quality_check.h"

#include <array>
#include <string_view>

#define XXH_INLINE_ALL
#include <xxhash.h>

#include "export/frequency_table.h"
#include "export/row_writers.h"
#include "reader/record_id.h"

namespace survey {
namespace {

constexpr size_t kFirstAnswerColumn = 5;  // entryDate; the figures follow the answers

// The line number, which the reader writes in decimal digits.
uint64_t lineOf(std::string_view digits) {
  uint64_t line = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') break;
    line = line * 10 + static_cast<uint64_t>(c - '0');
  }
  return line;
}

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

void QualityCheck::expect(const RecordRow& row, const uint64_t* answerHashes, size_t hashed) {
  // The answers' hash is the hash of each answer's hash, in column order: the report has most
  // of them already, from counting the answers. The memory of answers is far larger than the
  // cache: its slot is loaded while other work goes on.
  std::array<uint64_t, kColumnCount - kFirstAnswerColumn> hashes{};
  for (size_t at = 0; at < hashes.size(); ++at) {
    hashes[at] = at < hashed ? answerHashes[at]
                             : FrequencyTable::hashOf(row.fields[kFirstAnswerColumn + at]);
  }
  expectedAnswers_ = XXH3_64bits(hashes.data(), sizeof hashes);
  expected_ = true;
  byAnswers_.prefetch(expectedAnswers_);
}

const std::vector<Finding>& QualityCheck::check(const RecordRow& row, std::string* out,
                                                const uint64_t* answerHashes, size_t hashed,
                                                uint64_t quietColumns) {
  Place here{};
  here.file = files_.size() - 1;
  here.line = lineOf(row.fields[kLineColumn]);
  if (!expected_) expect(row, answerHashes, hashed);
  expected_ = false;
  const uint64_t answers = expectedAnswers_;
  // Records come in runs of one start time: its hash and its day are worked out when it changes.
  const std::string_view runDate = row.fields[kRunDateColumn];
  const std::string_view runTime = row.fields[kRunTimeColumn];
  if (!runKnown_ || runDate != runDate_ || runTime != runTime_) {
    runDate_.assign(runDate);
    runTime_.assign(runTime);
    runHash_ = recordIdOf(row.fields + kRunDateColumn, 2, &scratch_);
    runDay_ = readDate(runDate);
    runKnown_ = true;
  }
  const uint64_t run = runHash_;
  figures_ = readAges(row);
  figures_.runDay = runDay_;
  RuleContext context;
  context.figures = figures_;
  context.fileChanged = fileChanged_;
  context.quietColumns = quietColumns;
  if (latestRunDate_) {
    context.latestRunDate = latestRunDate_;
    context.latestRunPlace = placeOf(latestRunPlace_);
  }
  if (auto [first, added] = byAnswers_.tryEmplace(answers, Answers{here, run}); !added) {
    if (first->run == run) {
      context.sameId = placeOf(first->place);
    } else {
      context.sameAnswers = placeOf(first->place);
      if (auto [at, idAdded] = byId_.tryEmplace(row.recordId, here); !idAdded) {
        context.sameId = placeOf(*at);
      }
    }
  }
  if (runDay_ && (!latestRunDate_ || dayNumber(*runDay_) > dayNumber(*latestRunDate_))) {
    latestRunDate_ = runDay_;
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
