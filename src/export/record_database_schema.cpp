// The record database's tables and statements, made from the table of columns.
#include "export/record_database_schema.h"

#include <string_view>

#include "export/record_database.h"
#include "reader/record_patterns.h"
#include "reader/record_row.h"

namespace survey {
namespace {

constexpr std::string_view kAgeNowText = "ageNowText";

const char* sqlType(ColumnStorage storage) {
  switch (storage) {
    case ColumnStorage::kInteger:
      return "INTEGER";
    case ColumnStorage::kReal:
      return "REAL";
    case ColumnStorage::kText:
      break;
  }
  return "TEXT";
}

}  // namespace

ColumnStorage columnStorage(size_t column) {
  if (column == kLineColumn) return ColumnStorage::kInteger;
  if (column <= kRunTimeColumn) return ColumnStorage::kText;
  const RecordPatterns& patterns = recordPatterns();
  const size_t field = static_cast<size_t>(patterns.fieldOfColumn[column]);
  return patterns.fields[field].kind == FieldKind::kFigure ? ColumnStorage::kReal
                                                           : ColumnStorage::kText;
}

size_t ageNowTextColumn() {
  for (size_t column = 0; column < kColumnCount; ++column) {
    if (kColumnNames[column] == kAgeNowText) return column;
  }
  return kColumnCount;
}

std::string databaseTables() {
  std::string schema = "CREATE TABLE records (\n";
  for (size_t column = 0; column < kColumnCount; ++column) {
    schema += "  " + std::string(kColumnNames[column]) + " " + sqlType(columnStorage(column));
    if (column == kRecordIdColumn) schema += " NOT NULL";
    schema += ",\n";
    if (column == ageNowTextColumn()) schema += "  ageNow INTEGER,\n";
  }
  schema.replace(schema.size() - 2, 2, "\n);\n");
  schema +=
      "CREATE TABLE files (\n"
      "  fileId INTEGER PRIMARY KEY,\n"
      "  path TEXT NOT NULL,\n"
      "  size INTEGER,\n"
      "  records INTEGER,\n"
      "  newRecords INTEGER,\n"
      "  faults INTEGER,\n"
      "  exportedAt TEXT NOT NULL\n"
      ");\n"
      "CREATE TABLE faults (\n"
      "  fileId INTEGER NOT NULL REFERENCES files,\n"
      "  firstLine INTEGER NOT NULL,\n"
      "  lastLine INTEGER NOT NULL,\n"
      "  message TEXT NOT NULL\n"
      ");\n";
  return schema;
}

std::string databaseSchema() { return databaseTables() + kRecordIndex; }

DatabaseStatements databaseStatements() {
  std::string names;
  std::string parameters;
  for (size_t column = 0; column < kColumnCount; ++column) {
    names += (column == 0 ? "" : ", ") + std::string(kColumnNames[column]);
    parameters += column == 0 ? "?" : ", ?";
    if (column == ageNowTextColumn()) {
      names += ", ageNow";
      parameters += ", ?";
    }
  }
  return DatabaseStatements{
      "INSERT OR IGNORE INTO records (" + names + ") VALUES (" + parameters + ")",
      "INSERT INTO files (path, exportedAt) VALUES (?, ?)",
      "INSERT INTO faults (fileId, firstLine, lastLine, message) VALUES (?, ?, ?, ?)",
      "UPDATE files SET size = ?, records = ?, newRecords = ?, faults = ? WHERE fileId = ?"};
}

}  // namespace survey
