// What one parser fed a record file gives, as survey-export writes it: fed whole, the reference
// for every other way of handing the file over.
#pragma once

#include <algorithm>
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

// `bytes` fed in pieces of `piece` bytes to a parser taking `blockSize` bytes at most at once.
inline ExportResult readInPieces(std::string_view bytes, const std::string& name, size_t piece,
                                 size_t blockSize = RecordParser::kReadBlock) {
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
  RecordParser parser(name, sink, blockSize);
  while (!bytes.empty()) {
    size_t size = std::min(piece, bytes.size());
    parser.feed(bytes.substr(0, size));
    bytes.remove_prefix(size);
  }
  parser.finish();
  return sink.result;
}

inline ExportResult readWhole(std::string_view bytes, const std::string& name) {
  return readInPieces(bytes, name, bytes.size() + 1);
}

}  // namespace survey::testing
