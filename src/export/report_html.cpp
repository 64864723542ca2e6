// The HTML page: a style sheet of its own, then per section a chart and its table.
#include "export/report_html.h"

#include <algorithm>

#include "export/codebook.h"
#include "export/report_sections.h"

namespace survey {
namespace {

// Screens from a phone up, and paper: the chart and table side by side where there is room,
// one above the other where not; no section split over a page.
constexpr const char kHead[] =
    "<!DOCTYPE html>\n"
    "<html lang=\"en\">\n"
    "<head>\n"
    "<meta charset=\"utf-8\">\n"
    "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
    // Nothing may be fetched, whatever a value holds: the page is complete as it is.
    "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
    "style-src 'unsafe-inline'\">\n"
    "<title>Survey report</title>\n"
    "<style>\n"
    "body{font-family:system-ui,sans-serif;margin:0 auto;max-width:70rem;padding:1rem;"
    "color:#111;background:#fff;line-height:1.4}\n"
    "section{display:flex;flex-wrap:wrap;gap:1rem;align-items:flex-start;"
    "break-inside:avoid;page-break-inside:avoid;border-top:1px solid #ccc;padding-top:.5rem}\n"
    "section h2{flex-basis:100%;font-size:1.1rem;margin:.25rem 0}\n"
    "svg{flex:1 1 18rem;max-width:100%;height:auto}\n"
    "table{flex:1 1 18rem;border-collapse:collapse;font-size:.9rem}\n"
    "th,td{text-align:left;padding:.15rem .4rem;border-bottom:1px solid #ddd}\n"
    "td{overflow-wrap:anywhere}th{white-space:nowrap}\n"
    "td.count,th.count{text-align:right;font-variant-numeric:tabular-nums}\n"
    "tr[data-kind]:not([data-kind=value]) td{color:#555;font-style:italic}\n"
    "table.codebook{flex-basis:100%}\n"
    ".bar{fill:#3465a4}.label,.number{font-size:12px;fill:#111}\n"
    "@media print{body{max-width:none;padding:0}.bar{fill:#555}}\n"
    "</style>\n"
    "</head>\n"
    "<body>\n";

constexpr const char* kCodebookTitle = "Codebook: what each column holds";
constexpr const char* kCodebookHeadings[] = {"Column",       "Prompt", "Prompt text",
                                             "Record lines", "Type",   "Note"};

constexpr int kBarHeight = 18, kLabelWidth = 150, kBarWidth = 260, kChartWidth = 460;

std::string escaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        // Control characters cannot stand in HTML text: shown as their Unicode control
        // pictures (U+2400 to U+241F, U+2421 for DEL).
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7f) {
          out += "\xE2\x90" + std::string(1, static_cast<char>(0x80 + (c == 0x7f ? 0x21 : c)));
        } else {
          out.push_back(c);
        }
    }
  }
  return out;
}

// A label cut to fit the chart, by characters.
std::string shortLabel(const std::string& value) {
  constexpr size_t kMost = 22;
  size_t characters = 0;
  for (size_t at = 0; at < value.size(); ++at) {
    if ((static_cast<unsigned char>(value[at]) & 0xC0) == 0x80) continue;
    if (++characters > kMost) return value.substr(0, at) + "\xE2\x80\xA6";  // …
  }
  return value;
}

void appendChart(const ReportSection& section, std::string* out) {
  std::vector<const ReportRow*> bars;
  uint64_t largest = 0;
  for (const ReportRow& row : section.rows) {
    if (row.kind != ReportRow::Kind::kValue) continue;
    bars.push_back(&row);
    largest = std::max(largest, row.count);
  }
  const int height = static_cast<int>(std::max<size_t>(bars.size(), 1)) * kBarHeight + 4;
  *out += "<svg data-chart=\"" + escaped(section.column) + "\" viewBox=\"0 0 " +
          std::to_string(kChartWidth) + " " + std::to_string(height) +
          "\" role=\"img\" aria-label=\"" + escaped(section.title) + "\">\n";
  if (bars.empty()) *out += "<text class=\"label\" x=\"0\" y=\"15\">none</text>\n";
  for (size_t at = 0; at < bars.size(); ++at) {
    const int y = static_cast<int>(at) * kBarHeight + 2;
    const int width =
        largest == 0 ? 0 : static_cast<int>((bars[at]->count * kBarWidth + largest - 1) / largest);
    *out += "<text class=\"label\" x=\"0\" y=\"" + std::to_string(y + 13) + "\">" +
            escaped(shortLabel(bars[at]->value)) + "</text>";
    *out += "<rect class=\"bar\" x=\"" + std::to_string(kLabelWidth) + "\" y=\"" +
            std::to_string(y + 2) + "\" width=\"" + std::to_string(width) + "\" height=\"" +
            std::to_string(kBarHeight - 4) + "\"/>";
    *out += "<text class=\"number\" x=\"" + std::to_string(kLabelWidth + width + 4) + "\" y=\"" +
            std::to_string(y + 13) + "\">" + std::to_string(bars[at]->count) + "</text>\n";
  }
  *out += "</svg>\n";
}

void appendTable(const ReportSection& section, std::string* out) {
  *out += "<table data-column=\"" + escaped(section.column) + "\">\n<thead><tr><th>" +
          escaped(section.valueTitle) +
          "</th><th class=\"count\">Count</th><th>Notes</th></tr></thead>\n<tbody>\n";
  for (const ReportRow& row : section.rows) {
    const bool value = row.kind == ReportRow::Kind::kValue;
    *out += "<tr data-value=\"" + (value ? escaped(row.value) : std::string()) +
            "\" data-count=\"" + std::to_string(row.count) + "\" data-kind=\"" +
            rowKindName(row.kind) + "\"><td>" + escaped(row.value) + "</td><td class=\"count\">" +
            std::to_string(row.count) + "</td><td>" + escaped(row.note) + "</td></tr>\n";
  }
  *out += "</tbody>\n</table>\n";
}

// What each column holds, as survey-export --codebook gives it: a table with no chart.
void appendCodebook(std::string* out) {
  *out += "<section class=\"codebook\">\n<h2>" + std::string(kCodebookTitle) +
          "</h2>\n<table class=\"codebook\">\n<thead><tr>";
  for (const char* heading : kCodebookHeadings) *out += "<th>" + std::string(heading) + "</th>";
  *out += "</tr></thead>\n<tbody>\n";
  for (const CodebookRow& row : codebookRows()) {
    *out += "<tr>";
    for (const std::string* cell :
         {&row.column, &row.prompt, &row.promptText, &row.recordLines, &row.type, &row.note}) {
      *out += "<td>" + escaped(*cell) + "</td>";
    }
    *out += "</tr>\n";
  }
  *out += "</tbody>\n</table>\n</section>\n";
}

}  // namespace

std::string reportHtml(const ReportTally& tally) {
  std::string out = kHead;
  out += "<h1>Survey report</h1>\n<p>" + std::to_string(tally.files().size()) +
         (tally.files().size() == 1 ? " file, " : " files, ") + std::to_string(tally.records()) +
         " records</p>\n";
  for (const ReportSection& section : reportSections(tally)) {
    out += "<section>\n<h2>" + escaped(section.title) + "</h2>\n";
    appendChart(section, &out);
    appendTable(section, &out);
    out += "</section>\n";
  }
  appendCodebook(&out);
  out += "</body>\n</html>\n";
  return out;
}

}  // namespace survey
