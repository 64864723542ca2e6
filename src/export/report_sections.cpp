// The sections, built from the tally in the order the page shows them.
#include "export/report_sections.h"

namespace survey {
namespace {

constexpr size_t kTopValues = 10;
constexpr const char* kOthers = "others";
constexpr const char* kUncounted = "not counted apart (table full)";
constexpr const char* kMissingLike = "missing-like (empty, NA, N/A, None, -)";
constexpr const char* kNotANumber = "not a number";

void addAges(const std::string& title, const std::string& column, const AgeHistogram& ages,
             std::vector<ReportSection>* sections) {
  ReportSection section{title, column, "Age", {}};
  for (size_t bin = 0; bin < AgeHistogram::kBins; ++bin) {
    section.rows.emplace_back(ReportRow::Kind::kValue, AgeHistogram::binName(bin),
                              ages.counts[bin]);
  }
  if (ages.notNumbers > 0) {
    section.rows.emplace_back(ReportRow::Kind::kNotANumber, kNotANumber, ages.notNumbers);
  }
  sections->push_back(std::move(section));
}

}  // namespace

const char* rowKindName(ReportRow::Kind kind) {
  switch (kind) {
    case ReportRow::Kind::kValue:
      return "value";
    case ReportRow::Kind::kOthers:
      return "others";
    case ReportRow::Kind::kUncounted:
      return "uncounted";
    case ReportRow::Kind::kMissingLike:
      return "missing-like";
    case ReportRow::Kind::kNotANumber:
      return "not-a-number";
  }
  return "value";
}

std::vector<ReportSection> reportSections(const ReportTally& tally) {
  std::vector<ReportSection> sections;
  ReportSection files{"Records per file", "file", "File", {}};
  for (const auto& file : tally.files()) {
    files.rows.emplace_back(ReportRow::Kind::kValue, file.name, file.records,
                            file.skipped > 0 ? "skipped: " + std::to_string(file.skipped) : "");
  }
  sections.push_back(std::move(files));

  ReportSection dates{"Records per run date", "runDate", "Run date", {}};
  for (const auto& [date, count] : tally.runDates()) {
    dates.rows.emplace_back(ReportRow::Kind::kValue, date, count);
  }
  sections.push_back(std::move(dates));

  for (size_t column = ReportTally::kFirstAnswer; column <= ReportTally::kLastAnswer; ++column) {
    const FrequencyTable& table = tally.answers(column);
    const std::string name(kColumnNames[column]);
    ReportSection section{"Answers: " + name, name, "Value", {}};
    const std::vector<FrequencyTable::Group> groups = table.groups();
    uint64_t rest = 0;
    for (size_t at = 0; at < groups.size(); ++at) {
      if (at >= kTopValues) {
        rest += groups[at].count;
        continue;
      }
      std::string spellings;
      if (groups[at].variants.size() > 1) {
        for (const auto& [spelling, count] : groups[at].variants) {
          spellings += (spellings.empty() ? "" : ", ") + spelling + " " + std::to_string(count);
        }
      }
      section.rows.emplace_back(ReportRow::Kind::kValue, groups[at].spelling, groups[at].count,
                                spellings);
    }
    if (groups.size() > kTopValues) {
      section.rows.emplace_back(
          ReportRow::Kind::kOthers,
          std::string(kOthers) + " (" + std::to_string(groups.size() - kTopValues) + ")", rest);
    }
    if (table.uncounted() > 0) {
      section.rows.emplace_back(ReportRow::Kind::kUncounted, kUncounted, table.uncounted());
    }
    section.rows.emplace_back(ReportRow::Kind::kMissingLike, kMissingLike, tally.missing(column));
    sections.push_back(std::move(section));
  }
  addAges("Typed ages (ageNowText)", "typedAge", tally.typedAges(), &sections);
  addAges("Same ages (sameAgePlusAnotherYearAge - anotherYearAge)", "sameAge", tally.sameAges(),
          &sections);

  ReportSection findings{"Findings of survey-export --check", "rule", "Rule", {}};
  for (const auto& [rule, count] : tally.findings()) {
    std::string located;
    for (const std::string& place : count.located) located += (located.empty() ? "" : "; ") + place;
    findings.rows.emplace_back(ReportRow::Kind::kValue, rule, count.count, located);
  }
  sections.push_back(std::move(findings));
  return sections;
}

}  // namespace survey
