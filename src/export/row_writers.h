// The two output formats: CSV (RFC 4180) and JSON Lines.
#pragma once

#include <string>

#include "export/export_row.h"

namespace survey {

// CSV: the column names, then one row per record; every row ends with CRLF. A value with a
// comma, a double quote, CR or LF is put in double quotes, its double quotes doubled; all
// other bytes pass as they are.
void appendCsvHeader(std::string* out);
// A row is written at `to`, which has room for the bound's bytes; it returns the end.
size_t csvRowBound(const ExportRow& row);
char* writeCsvRow(const ExportRow& row, char* to);

// JSON Lines: one object per record, keys as the CSV columns, every value a string but "line",
// a number; each object ends with LF. Strings escape '"', '\' and control characters; bytes
// that are not UTF-8 (only a file name can have them) become U+FFFD.
size_t jsonLineBound(const ExportRow& row);
char* writeJsonLine(const ExportRow& row, char* to);

}  // namespace survey
