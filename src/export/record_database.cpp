// The record database through SQLite: typed columns, a key on recordId, one transaction a run.
#include "export/record_database.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <utility>

#include "export/export_reports.h"
#include "export/output_file.h"
#include "export/record_database_schema.h"
#include "platform/system_env.h"
#include "reader/record_row.h"
#include "records/store_files.h"

#ifdef SURVEY_HAVE_SQLITE
#include <sqlite3.h>
#endif

namespace survey {

bool wholeNumber(std::string_view text, int64_t* value) {
  const bool negative = !text.empty() && text[0] == '-';
  std::string_view digits = text.substr(negative ? 1 : 0);
  if (digits.empty() || digits.size() > 19) return false;
  uint64_t magnitude = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    magnitude = magnitude * 10 + static_cast<uint64_t>(c - '0');
  }
  const auto most = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
  if (magnitude > most + (negative ? 1 : 0)) return false;
  *value = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
  return true;
}

#ifdef SURVEY_HAVE_SQLITE
namespace {

// A figure as the record shows it ("36.5", "1e+006", "nan") as a number, without allocating.
double realOf(std::string_view text) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error == std::errc() && end == text.data() + text.size()) return value;
  char copy[64] = {};
  std::memcpy(copy, text.data(), std::min(text.size(), sizeof copy - 1));
  return std::strtod(copy, nullptr);
}

class SqliteDatabase : public RecordDatabase {
 public:
  ~SqliteDatabase() override { close(); }

  // A database that is there is changed in place. A new one is made under the partial name
  // beside it and renamed into place once committed, so that a failed or killed run leaves no
  // database behind.
  Status open(const std::string& path, const Notices& notices) {
    // This program uses SQLite from one thread and reads no memory statistics: the
    // connection's lock and the count of every allocation, under a lock of its own, are work
    // for nothing. The count can be switched off only before SQLite's first use; later the call
    // fails and changes nothing.
    sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    files_ = makeSystemFileSystem();
    target_ = path;
    partial_ = path + OutputFile::kPartialSuffix;
    // Another run may be making the same database: it holds the partial file's lock until the
    // file has its name. Whoever gets the lock next finds the file renamed (or removed after a
    // failure) and starts again, then to add to the database in place.
    for (int tries = 0; tries < kOpenTries; ++tries) {
      if (exists(target_)) {
        if (Status begun = connect(target_, false); !begun.ok()) return begun;
        if (Status made = makeTables(); !made.ok()) return made;
        removeLeftover(notices);
        return Status();
      }
      // On the first try a partial file there is a leftover unless another run is making it,
      // in which case its lock is waited for and the file is gone by then.
      const bool leftover = tries == 0 && exists(partial_);
      if (Status begun = connect(partial_, true); !begun.ok()) {
        return Status::error(partial_ + ": " + begun.reason());
      }
      if (!moved() && !exists(target_)) {
        // Only a file this program was making is taken over; anything else under that name is
        // kept as it is.
        if (!holdsOnlyOurTables(db_)) {
          return Status::error(partial_ + ": " + kNotOurs);
        }
        owned_ = true;
        if (leftover && notices) notices(partial_ + ": " + kLeftoverRestarted);
        return makeTables();
      }
      close();
    }
    return Status::error("another run kept making it meanwhile; run again");
  }

  // Opens `file` and begins the run's transaction, waiting a while for another run's. A file
  // being made is held locked from then until it is closed, its renaming included.
  Status connect(const std::string& file, bool making) {
    making_ = making;
    const int create = making ? SQLITE_OPEN_CREATE : 0;
    if (sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE | create | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
      return failed();
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, static_cast<int>(kSharingWaitLimit.count()));
    if (!making) return run("BEGIN IMMEDIATE");
    // Locked against readers too, and kept locked past the commit.
    if (Status begun = run("BEGIN EXCLUSIVE"); !begun.ok()) return begun;
    return run("PRAGMA locking_mode = EXCLUSIVE");
  }

  // Makes the tables in a new database, or checks the version of one that is there.
  Status makeTables() {
    int version = 0;
    if (Status read = intOf("PRAGMA user_version", &version); !read.ok()) return read;
    int tables = 0;
    if (Status read = intOf("SELECT COUNT(*) FROM sqlite_master", &tables); !read.ok()) {
      return read;
    }
    if (making_ && tables > 0) {
      // Left by a run killed between its commit and the renaming: that run did not finish.
      if (Status dropped = run(kDropTables); !dropped.ok()) return dropped;
      if (Status read = intOf("SELECT COUNT(*) FROM sqlite_master", &tables); !read.ok()) {
        return read;
      }
      version = 0;
    }
    fresh_ = version == 0 && tables == 0;
    if (fresh_) {
      if (Status made = run(databaseTables()); !made.ok()) return made;
      if (Status set = run("PRAGMA user_version = " + std::to_string(kDatabaseVersion));
          !set.ok()) {
        return set;
      }
    } else if (version < kOldestDatabaseVersion || version > kDatabaseVersion) {
      return Status::error(version > kDatabaseVersion
                               ? "made by a later version of this program (schema " +
                                     std::to_string(version) + ")"
                               : "not a database of survey records");
    }
    // The records are appended, so a new database needs only a small cache; an existing one
    // looks each record up in its key, which the larger cache holds for a few million records.
    if (Status set = run(fresh_ ? kAppendCache : kLookUpCache); !set.ok()) return set;
    return prepareAll();
  }

  Status beginFile(std::string_view path, std::string_view exportedAt) override {
    bindText(insertFile_, 1, path);
    bindText(insertFile_, 2, exportedAt);
    if (Status done = step(insertFile_); !done.ok()) return done;
    fileId_ = sqlite3_last_insert_rowid(db_);
    newRecords_ = 0;
    return Status();
  }

  Status add(const RecordRow& row, bool* added) override {
    // A new database has no key until the run ends: the records' identities are kept in memory
    // instead. The identity's slot is fetched while the values are bound.
    if (fresh_) identities_.prefetch(row.recordId);
    sqlite3_stmt* insert = insertRecord_;
    int parameter = 1;
    for (size_t column = 0; column < kColumnCount; ++column, ++parameter) {
      const std::string_view value = row.fields[column];
      if (column == kLineColumn) {
        int64_t line = 0;
        wholeNumber(value, &line);
        sqlite3_bind_int64(insert, parameter, line);
      } else if (real_[column]) {
        sqlite3_bind_double(insert, parameter, realOf(value));
      } else {
        bindText(insert, parameter, value);
      }
      if (column == ageNowColumn_) {
        int64_t age = 0;
        ++parameter;
        if (wholeNumber(value, &age)) {
          sqlite3_bind_int64(insert, parameter, age);
        } else {
          sqlite3_bind_null(insert, parameter);
        }
      }
    }
    if (fresh_) {
      // A record seen before in this run is not inserted; its values stay bound, unread, until
      // the next record's replace them. Identity 0 is kept apart, as the set takes it for 1.
      *added = row.recordId == 0 ? !std::exchange(sawIdentityZero_, true)
                                 : identities_.insert(row.recordId);
      if (!*added) return Status();
    }
    if (Status done = step(insert); !done.ok()) return done;
    *added = fresh_ || sqlite3_changes(db_) > 0;
    newRecords_ += *added ? 1 : 0;
    return Status();
  }

  Status addFault(const SkippedLines& lines) override {
    sqlite3_bind_int64(insertFault_, 1, fileId_);
    sqlite3_bind_int64(insertFault_, 2, static_cast<int64_t>(lines.firstLine));
    sqlite3_bind_int64(insertFault_, 3, static_cast<int64_t>(lines.lastLine));
    bindText(insertFault_, 4, lines.message);
    return step(insertFault_);
  }

  Status endFile(uint64_t size, uint64_t records, uint64_t faults) override {
    sqlite3_bind_int64(updateFile_, 1, static_cast<int64_t>(size));
    sqlite3_bind_int64(updateFile_, 2, static_cast<int64_t>(records));
    sqlite3_bind_int64(updateFile_, 3, static_cast<int64_t>(newRecords_));
    sqlite3_bind_int64(updateFile_, 4, static_cast<int64_t>(faults));
    sqlite3_bind_int64(updateFile_, 5, fileId_);
    return step(updateFile_);
  }

  Status commit() override {
    if (fresh_) {
      // The key is built by one sort, in memory up to the cache's size and in temporary files
      // beyond.
      if (Status set = run(kSortCache); !set.ok()) return set;
      if (Status made = run(kRecordIndex); !made.ok()) return made;
    }
    if (Status done = run("COMMIT"); !done.ok()) return done;
    if (making_) {
      // Still under the lock: whatever has the target's name now was not made by this
      // program's runs, and is kept.
      if (Status renamed = files_->renameWithoutReplacing(partial_, target_); !renamed.ok()) {
        return Status::error(exists(target_) ? "made by another program meanwhile; run again"
                                             : renamed.reason());
      }
      renamed_ = true;
      if (Status synced = files_->syncDirectory(target_); !synced.ok()) return synced;
    }
    committed_ = true;
    return Status();
  }

 private:
  // Ends the connection. A database this run was making and did not rename is removed while
  // the lock still keeps other runs out of it; SQLite removes its journal on closing.
  void close() {
    for (sqlite3_stmt** statement : {&insertRecord_, &insertFile_, &insertFault_, &updateFile_}) {
      sqlite3_finalize(*statement);
      *statement = nullptr;
    }
    if (db_ == nullptr) return;
    if (!committed_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    if (owned_ && !renamed_) files_->remove(partial_, kWaitBeforeNotice);
    sqlite3_close(db_);
    db_ = nullptr;
  }
  // Removes a partial file left beside an existing database by a run that was stopped while
  // making it, when no run holds it and it holds nothing but this program's tables. SQLite
  // rolls back its journal on taking the lock.
  void removeLeftover(const Notices& notices) {
    if (!exists(partial_)) return;
    sqlite3* leftover = nullptr;
    if (sqlite3_open_v2(partial_.c_str(), &leftover, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                        nullptr) == SQLITE_OK &&
        sqlite3_exec(leftover, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) == SQLITE_OK &&
        holdsOnlyOurTables(leftover) && files_->remove(partial_, kWaitBeforeNotice).ok() &&
        notices) {
      notices(partial_ + ": " + kLeftoverRemoved);
    }
    sqlite3_exec(leftover, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(leftover);
  }
  // Whether the database holds no table but this program's, under its version or none.
  static bool holdsOnlyOurTables(sqlite3* db) {
    int others = 1;
    int version = -1;
    if (!intOf(db, kOtherTables, &others).ok() ||
        !intOf(db, "PRAGMA user_version", &version).ok()) {
      return false;
    }
    return others == 0 &&
           (version == 0 || (version >= kOldestDatabaseVersion && version <= kDatabaseVersion));
  }
  bool exists(const std::string& path) {
    std::string unused;
    FileFacts facts;
    return !files_->readBounded(path, kWaitBeforeNotice, 0, &unused, &facts)
                .is(Status::Kind::kMissing);
  }
  // Whether the open file lost its name to a rename or removal since it was opened.
  bool moved() {
    int moved = 0;
    sqlite3_file_control(db_, "main", SQLITE_FCNTL_HAS_MOVED, &moved);
    return moved != 0;
  }
  Status failed() const {
    return Status::error(db_ == nullptr ? "out of memory" : sqlite3_errmsg(db_));
  }
  Status run(const std::string& sql) {
    return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK ? Status()
                                                                                  : failed();
  }
  Status intOf(const char* sql, int* value) { return intOf(db_, sql, value); }
  static Status intOf(sqlite3* db, const char* sql, int* value) {
    sqlite3_stmt* statement = nullptr;
    int stepped = SQLITE_ERROR;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK) {
      stepped = sqlite3_step(statement);
      if (stepped == SQLITE_ROW) *value = sqlite3_column_int(statement, 0);
    }
    sqlite3_finalize(statement);
    return stepped == SQLITE_ROW ? Status() : Status::error(sqlite3_errmsg(db));
  }
  Status prepare(const std::string& sql, sqlite3_stmt** statement) {
    return sqlite3_prepare_v3(db_, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, statement,
                              nullptr) == SQLITE_OK
               ? Status()
               : failed();
  }
  Status prepareAll() {
    for (size_t column = 0; column < kColumnCount; ++column) {
      real_[column] = columnStorage(column) == ColumnStorage::kReal;
    }
    ageNowColumn_ = ageNowTextColumn();
    const DatabaseStatements statements = databaseStatements();
    Status prepared = prepare(statements.insertRecord, &insertRecord_);
    if (prepared.ok()) prepared = prepare(statements.insertFile, &insertFile_);
    if (prepared.ok()) prepared = prepare(statements.insertFault, &insertFault_);
    if (prepared.ok()) prepared = prepare(statements.updateFile, &updateFile_);
    return prepared;
  }
  // The text is not copied: every caller keeps it unchanged until the statement has run.
  static void bindText(sqlite3_stmt* statement, int parameter, std::string_view text) {
    sqlite3_bind_text64(statement, parameter, text.data(), text.size(), SQLITE_STATIC, SQLITE_UTF8);
  }
  // Runs the statement and resets it at once, so that it holds no lock nor reads its bound
  // texts after they have gone.
  Status step(sqlite3_stmt* statement) {
    const bool done = sqlite3_step(statement) == SQLITE_DONE;
    Status status = done ? Status() : failed();
    sqlite3_reset(statement);
    return status;
  }

  static constexpr int kOpenTries = 3;
  static constexpr const char* kNotOurs =
      "in the way: it is not a database this program was making; move it away and run again";
  static constexpr const char* kLeftoverRestarted =
      "left by a run that stopped before it finished; its records are dropped and the database "
      "made afresh";
  static constexpr const char* kLeftoverRemoved =
      "left by a run that stopped before it finished making the database; removed";

  sqlite3* db_ = nullptr;
  std::unique_ptr<FileSystem> files_;  // the files SQLite writes to
  std::string target_;
  std::string partial_;
  bool making_ = false;        // the file open is the partial one, renamed to the target at commit
  bool owned_ = false;         // it is this run's: locked, and still under the partial name
  bool renamed_ = false;       // it has the target's name
  bool fresh_ = false;         // the database was made by this run and has no key yet
  FingerprintSet identities_;  // of the records added to a new database
  bool sawIdentityZero_ = false;
  sqlite3_stmt* insertRecord_ = nullptr;
  sqlite3_stmt* insertFile_ = nullptr;
  sqlite3_stmt* insertFault_ = nullptr;
  sqlite3_stmt* updateFile_ = nullptr;
  bool real_[kColumnCount] = {};
  size_t ageNowColumn_ = kColumnCount;
  int64_t fileId_ = 0;
  uint64_t newRecords_ = 0;
  bool committed_ = false;
};

}  // namespace

bool RecordDatabase::available() { return true; }

Status RecordDatabase::open(const std::string& path, std::unique_ptr<RecordDatabase>* database,
                            const Notices& notices) {
  auto opened = std::make_unique<SqliteDatabase>();
  if (Status status = opened->open(path, notices); !status.ok()) return status;
  *database = std::move(opened);
  return Status();
}
#else
bool RecordDatabase::available() { return false; }

Status RecordDatabase::open(const std::string&, std::unique_ptr<RecordDatabase>*, const Notices&) {
  return Status::error(
      "this build of survey-export has no SQLite: --format sqlite is not available");
}
#endif

}  // namespace survey
