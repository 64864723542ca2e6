// The report's numbers as sections of rows, for a page format to lay out: each section one
// table and one chart.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "export/report_tally.h"

namespace survey {

struct ReportRow {
  // kValue: a value and its count; the others are totals that a chart leaves out.
  enum class Kind { kValue, kOthers, kUncounted, kMissingLike, kNotANumber };
  ReportRow(Kind kind, std::string value, uint64_t count, std::string note = {})
      : kind(kind), value(std::move(value)), count(count), note(std::move(note)) {}

  Kind kind;
  std::string value;  // the value, or the label of a total
  uint64_t count;
  std::string note;  // spellings grouped, or the first findings located; may be empty
};

struct ReportSection {
  std::string title;
  std::string column;      // what the rows count: a column name, or "rule"
  std::string valueTitle;  // the heading of the value column
  std::vector<ReportRow> rows;
};

// Files, run dates, each answer column (the ten most common values), the two age histograms
// and the findings by rule, in that order.
std::vector<ReportSection> reportSections(const ReportTally& tally);

// The word of a row kind, as tables mark it ("value", "others", "uncounted", "missing-like",
// "not-a-number").
const char* rowKindName(ReportRow::Kind kind);

}  // namespace survey
