// What one parser fed a record file gives, as survey-export writes it: fed whole, the reference
// for every other way of handing the file over.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "export/export_reports.h"
#include "export/row_writers.h"
#include "reader/record_reader.h"
#include "support/fakes.h"

namespace survey::testing {

// Puts `bytes` into the parser as reads of the file would, in as many rooms as they need.
inline void feed(RecordReader& parser, std::string_view bytes) {
  while (!bytes.empty()) {
    size_t capacity = 0;
    char* to = parser.room(&capacity);
    size_t count = std::min(capacity, bytes.size());
    std::memcpy(to, bytes.data(), count);
    parser.filled(count);
    bytes.remove_prefix(count);
  }
}

struct ExportResult {
  std::string rows;     // CSV, without the header
  std::string reports;  // as survey-export writes them to standard error, summary included
  int status = 0;
};

// `bytes` fed in pieces of `piece` bytes to a parser taking `blockSize` bytes at most at once.
inline ExportResult readInPieces(std::string_view bytes, const std::string& name, size_t piece,
                                 size_t blockSize = RecordReader::kReadBlock) {
  struct Sink : RecordSink {
    void record(const RecordRow& row) override {
      size_t start = rows.size();
      rows.resize(start + csvRowBound(row));
      char* end = writeCsvRow(row, false, rows.data() + start);
      reports.exported(!fingerprints.insert(row.recordId));
      rows.resize(static_cast<size_t>(end - rows.data()));
    }
    void skipped(const SkippedLines& lines) override { reports.skipped(lines); }
    std::string rows;
    FakeOutput errors;
    ExportReports reports{"survey-export", errors};
    FingerprintSet fingerprints;
  } sink;
  sink.reports.beginFile(name);
  RecordReader parser(name, sink, blockSize);
  while (!bytes.empty()) {
    size_t size = std::min(piece, bytes.size());
    feed(parser, bytes.substr(0, size));
    bytes.remove_prefix(size);
  }
  parser.finish();
  sink.reports.endFile(parser.notes(), false, "", false);
  sink.reports.summarize();
  return {sink.rows, sink.errors.text, sink.reports.status()};
}

inline ExportResult readWhole(std::string_view bytes, const std::string& name) {
  return readInPieces(bytes, name, bytes.size() + 1);
}

}  // namespace survey::testing
