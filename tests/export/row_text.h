// Rows appended to a string, for tests that look at what the writers write.
#pragma once

#include <string>

#include "export/row_writers.h"

namespace survey {

inline void appendCsvRow(const RecordRow& row, std::string* out) {
  size_t start = out->size();
  out->resize(start + csvRowBound(row));
  out->resize(static_cast<size_t>(writeCsvRow(row, false, out->data() + start) - out->data()));
}

inline void appendJsonLine(const RecordRow& row, std::string* out) {
  size_t start = out->size();
  out->resize(start + jsonLineBound(row));
  out->resize(static_cast<size_t>(writeJsonLine(row, out->data() + start) - out->data()));
}

}  // namespace survey
