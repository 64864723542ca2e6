// The text page: one section per kind of count, aligned columns, bars of '#'.
#include "export/report_text.h"

#include <algorithm>

#include "console/characters.h"
#include "export/codebook.h"

namespace survey {
namespace {

// Section titles and words, in one place.
constexpr const char* kTitle = "Survey report";
constexpr const char* kPerFile = "Records per file";
constexpr const char* kPerRunDate = "Records per run date";
constexpr const char* kAnswersOf = "Answers: ";
constexpr const char* kTypedAges = "Typed ages (ageNowText)";
constexpr const char* kSameAges = "Same ages (sameAgePlusAnotherYearAge - anotherYearAge)";
constexpr const char* kFindings = "Findings of survey-export --check";
constexpr const char* kNoFindings = "  none";
constexpr const char* kMissingLike = "missing-like (empty, NA, N/A, None, -)";
constexpr const char* kNotANumber = "not a number";
constexpr const char* kOthers = "others";
constexpr const char* kUncounted = "not counted apart (table full)";
constexpr const char* kSpellings = "spellings: ";
constexpr const char* kCodebook = "Codebook: what each column holds";
constexpr size_t kTopValues = 10;
constexpr size_t kBarWidth = 30;

// The characters of UTF-8 text, for alignment.
size_t widthOf(std::string_view text) {
  size_t width = 0;
  for (char c : text) width += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return width;
}

std::string shown(std::string_view value) {
  std::string text;
  appendCaretNotation(value, &text, /*lineEndsToo=*/true);
  return text;
}

// One line: the label padded to `labelWidth`, a bar scaled to `largest`, the count.
void appendBarLine(std::string_view label, uint64_t count, uint64_t largest, size_t labelWidth,
                   std::string* out) {
  const std::string text = shown(label);
  *out +=
      "  " + text + std::string(labelWidth > widthOf(text) ? labelWidth - widthOf(text) : 0, ' ');
  const size_t bar =
      largest == 0 ? 0 : static_cast<size_t>((count * kBarWidth + largest - 1) / largest);
  *out += " " + std::string(bar, '#') + std::string(kBarWidth - bar, ' ') + " " +
          std::to_string(count) + "\n";
}

template <typename Items>
size_t widestLabel(const Items& items) {
  size_t widest = 0;
  for (const auto& item : items) widest = std::max(widest, widthOf(shown(item.first)));
  return widest;
}

void appendHistogram(const char* title, const AgeHistogram& ages, std::string* out) {
  *out += std::string("\n") + title + "\n";
  const uint64_t largest = *std::max_element(ages.counts.begin(), ages.counts.end());
  for (size_t bin = 0; bin < AgeHistogram::kBins; ++bin) {
    appendBarLine(AgeHistogram::binName(bin), ages.counts[bin], largest, 8, out);
  }
  if (ages.notNumbers > 0) {
    *out += "  " + std::string(kNotANumber) + ": " + std::to_string(ages.notNumbers) + "\n";
  }
}

void appendAnswers(const ReportTally& tally, size_t column, std::string* out) {
  const FrequencyTable& table = tally.answers(column);
  const std::vector<FrequencyTable::Group> groups = table.groups();
  *out += "\n" + std::string(kAnswersOf) + std::string(kColumnNames[column]) + "\n";
  std::vector<std::pair<std::string, uint64_t>> shownGroups;
  uint64_t rest = 0;
  size_t restGroups = 0;
  for (size_t at = 0; at < groups.size(); ++at) {
    if (at < kTopValues) {
      shownGroups.emplace_back(groups[at].spelling, groups[at].count);
    } else {
      rest += groups[at].count;
      ++restGroups;
    }
  }
  const uint64_t largest = shownGroups.empty() ? 0 : shownGroups.front().second;
  const size_t width = std::max<size_t>(widestLabel(shownGroups), 12);
  for (size_t at = 0; at < shownGroups.size(); ++at) {
    appendBarLine(shownGroups[at].first, shownGroups[at].second, largest, width, out);
    if (groups[at].variants.size() > 1) {
      std::string list;
      for (const auto& [spelling, count] : groups[at].variants) {
        list += (list.empty() ? "" : ", ") + shown(spelling) + " " + std::to_string(count);
      }
      *out += "    " + std::string(kSpellings) + list + "\n";
    }
  }
  if (restGroups > 0) {
    *out += "  " + std::string(kOthers) + " (" + std::to_string(restGroups) +
            "): " + std::to_string(rest) + "\n";
  }
  if (table.uncounted() > 0) {
    *out += "  " + std::string(kUncounted) + ": " + std::to_string(table.uncounted()) + "\n";
  }
  *out += "  " + std::string(kMissingLike) + ": " + std::to_string(tally.missing(column)) + "\n";
}

// One line a column, as survey-export --codebook gives it: type, prompt, record lines, note.
void appendCodebook(std::string* out) {
  *out += std::string("\n") + kCodebook + "\n";
  for (const CodebookRow& row : codebookRows()) {
    std::string line = "  " + row.column + ": " + row.type;
    if (!row.prompt.empty()) {
      line += (row.prompt.find(',') == std::string::npos ? "; prompt " : "; prompts ") +
              row.prompt + " \"" + row.promptText + "\"";
    }
    if (!row.recordLines.empty()) {
      line +=
          (row.recordLines.find(',') == std::string::npos ? "; record line " : "; record lines ") +
          row.recordLines;
    }
    if (!row.note.empty()) line += "; " + row.note;
    *out += shown(line) + "\n";
  }
}

}  // namespace

std::string reportText(const ReportTally& tally) {
  std::string out = std::string(kTitle) + ": " + std::to_string(tally.files().size()) +
                    (tally.files().size() == 1 ? " file, " : " files, ") +
                    std::to_string(tally.records()) + " records\n";

  out += std::string("\n") + kPerFile + "\n";
  uint64_t largest = 0;
  size_t width = 0;
  for (const auto& file : tally.files()) {
    largest = std::max(largest, file.records);
    width = std::max(width, widthOf(shown(file.name)));
  }
  for (const auto& file : tally.files()) {
    appendBarLine(file.name, file.records, largest, width, &out);
    if (file.skipped > 0) out += "    skipped: " + std::to_string(file.skipped) + "\n";
  }

  out += std::string("\n") + kPerRunDate + "\n";
  largest = 0;
  for (const auto& [date, count] : tally.runDates()) largest = std::max(largest, count);
  for (const auto& [date, count] : tally.runDates()) appendBarLine(date, count, largest, 10, &out);

  for (size_t column = ReportTally::kFirstAnswer; column <= ReportTally::kLastAnswer; ++column) {
    appendAnswers(tally, column, &out);
  }
  appendHistogram(kTypedAges, tally.typedAges(), &out);
  appendHistogram(kSameAges, tally.sameAges(), &out);

  out += std::string("\n") + kFindings + "\n";
  if (tally.findings().empty()) out += std::string(kNoFindings) + "\n";
  for (const auto& [rule, count] : tally.findings()) {
    out += "  " + rule + ": " + std::to_string(count.count) + "\n";
    for (const std::string& place : count.located) out += "    " + shown(place) + "\n";
  }
  appendCodebook(&out);
  return out;
}

}  // namespace survey
