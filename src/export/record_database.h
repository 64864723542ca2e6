// The records in an SQLite database that grows run by run: each run adds the records whose
// recordId the database lacks, in one transaction.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/env.h"
#include "reader/record_outcomes.h"

namespace survey {

// The schema's version, kept as the database's user_version. Version 1 had the key on recordId
// as a column constraint rather than a named index; its databases are read and added to as
// they are.
inline constexpr int kDatabaseVersion = 2;
inline constexpr int kOldestDatabaseVersion = 1;

// The statements that make the tables and the key, in order; the manual shows the same.
std::string databaseSchema();

class RecordDatabase {
 public:
  // Told what the run did beyond the records: a leftover partial file removed or taken over.
  using Notices = std::function<void(const std::string& notice)>;
  // Opens `path`, creating it and its tables when new, and begins the run's transaction. Fails
  // for a file that is not such a database, one of a later schema, or a build without SQLite.
  // A partial file beside it that a stopped run left is removed, or taken over when `path` is
  // new; a file of that name that is not one is kept, and the run then fails.
  static Status open(const std::string& path, std::unique_ptr<RecordDatabase>* database,
                     const Notices& notices = nullptr);
  // Whether this build can write databases at all.
  static bool available();

  virtual ~RecordDatabase() = default;
  // A file whose records follow; `exportedAt` is the run's time, as ISO 8601.
  virtual Status beginFile(std::string_view path, std::string_view exportedAt) = 0;
  // Adds the record unless one with its recordId is there; `*added` says which.
  virtual Status add(const RecordRow& row, bool* added) = 0;
  virtual Status addFault(const SkippedLines& lines) = 0;
  // The file's size as read, and how many records it held and how many faults.
  virtual Status endFile(uint64_t size, uint64_t records, uint64_t faults) = 0;
  // Makes the run's changes lasting. Without it (a failure, a kill), the database is left as it
  // was before the run.
  virtual Status commit() = 0;
};

// An answer that is a whole number in decimal digits, with a leading '-' at most, and fits 64
// bits: its value. Anything else (text, "36yrs", "36.5", an empty answer) is not.
bool wholeNumber(std::string_view text, int64_t* value);

}  // namespace survey
