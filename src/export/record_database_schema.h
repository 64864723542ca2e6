// The record database's schema: its tables, its key, how each column is stored, and the
// statements that fill the tables.
#pragma once

#include <cstddef>
#include <string>

namespace survey {

// How a record's column is stored: the line a whole number, the figures real numbers, the
// rest text.
enum class ColumnStorage { kInteger, kReal, kText };
ColumnStorage columnStorage(size_t column);

// The column that ageNow, a whole number or NULL, follows.
size_t ageNowTextColumn();

// The tables, without the key.
std::string databaseTables();
// The key on recordId, made after the records when a run fills a new database: one sort then
// costs far less than keeping the index in order record by record.
inline constexpr const char* kRecordIndex =
    "CREATE UNIQUE INDEX recordsByRecordId ON records (recordId);\n";

// The statements a run uses, prepared once. insertRecord binds every column in order, with
// ageNow after ageNowText.
struct DatabaseStatements {
  std::string insertRecord;
  const char* insertFile;
  const char* insertFault;
  const char* updateFile;
};
DatabaseStatements databaseStatements();

// The tables of this program, and whether a database holds no other table.
inline constexpr const char* kOtherTables =
    "SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND "
    "name NOT IN ('records', 'files', 'faults')";
inline constexpr const char* kDropTables =
    "DROP TABLE IF EXISTS faults; DROP TABLE IF EXISTS files; DROP TABLE IF EXISTS records;";

// The page cache: a new database appends its records and needs little; an existing one looks
// each record up in its key, which the larger cache holds for a few million records; building
// the key sorts in memory up to the cache's size and in temporary files beyond.
inline constexpr const char* kAppendCache = "PRAGMA cache_size = -4096";
inline constexpr const char* kLookUpCache = "PRAGMA cache_size = -32768";
inline constexpr const char* kSortCache = "PRAGMA cache_size = -16384";

}  // namespace survey
