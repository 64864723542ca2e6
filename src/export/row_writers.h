// The two output formats: CSV (RFC 4180) and JSON Lines.
#pragma once

#include <string>
#include <string_view>

#include "reader/record_row.h"

namespace survey {

// CSV: the column names, then one row per record; every row ends with CRLF. A value with a
// comma, a double quote, CR or LF is put in double quotes, its double quotes doubled; all
// other bytes pass as they are. With `safeCells`, a file name or typed answer beginning with
// '=', '+', '-', '@', tab or CR, which a spreadsheet would take for a formula, gets a leading
// single quote; the program's own figures are left alone.
void appendCsvHeader(std::string* out);
// A row is written at `to`, which has room for the bound's bytes; it returns the end.
size_t csvRowBound(const RecordRow& row);
char* writeCsvRow(const RecordRow& row, bool safeCells, char* to);
// Any values as one CSV row.
void appendCsvValues(const std::string_view* values, size_t count, bool safeCells,
                     std::string* out);

// JSON Lines: one object per record, keys as the CSV columns, every value a string but "line",
// a number; each object ends with LF. Strings escape '"', '\' and control characters; bytes
// that are not UTF-8 (only a file name can have them) become U+FFFD.
size_t jsonLineBound(const RecordRow& row);
char* writeJsonLine(const RecordRow& row, char* to);
// Any values as one object of strings under `keys`.
void appendJsonObject(const std::string_view* keys, const std::string_view* values, size_t count,
                      std::string* out);

}  // namespace survey
