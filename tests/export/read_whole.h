// What one parser reading a whole record file at once gives: the reference that every way of
// cutting the file into chunks must match.
#pragma once

#include <string>
#include <string_view>

#include "export/record_parser.h"
#include "export/row_text.h"

namespace survey::testing {

struct ExportResult {
  std::string rows;     // CSV, without the header
  std::string reports;  // as survey-export writes them to standard error
  int status = 0;
};

inline ExportResult readWhole(std::string_view bytes, const std::string& name) {
  struct Sink : RecordSink {
    explicit Sink(const std::string& name) : name(name) {}
    void record(const ExportRow& row) override { appendCsvRow(row, &result.rows); }
    void skipped(const SkippedLines& lines) override {
      std::string where = std::to_string(lines.firstLine);
      if (lines.lastLine != lines.firstLine) where += "-" + std::to_string(lines.lastLine);
      result.reports +=
          "survey-export: " + name + ":" + where + ": " + std::string(lines.message) + "\n";
      result.status = 1;
    }
    const std::string& name;
    ExportResult result;
  } sink(name);
  RecordParser parser(name, sink);
  parser.feed(bytes);
  parser.finish();
  return sink.result;
}

}  // namespace survey::testing
