// --format sqlite: typed columns read back with SQLite, runs that add only what is new, and a
// failed run that leaves the database as it was.
#ifdef SURVEY_HAVE_SQLITE
#include "export/record_database.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "console/input_reader.h"
#include "export/csv_table.h"
#include "export/exporter.h"
#include "export/sample_records.h"
#include "support/same_text.h"

namespace survey::testing {
namespace {

namespace fs = std::filesystem;

// The rows of `sql` as lines of values joined by '|', NULL as "NULL".
std::string query(const fs::path& database, const std::string& sql) {
  sqlite3* db = nullptr;
  std::string rows;
  if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return "cannot open";
  }
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
    rows = std::string("bad query: ") + sqlite3_errmsg(db);
  }
  while (statement != nullptr && sqlite3_step(statement) == SQLITE_ROW) {
    for (int column = 0; column < sqlite3_column_count(statement); ++column) {
      if (column > 0) rows += '|';
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
      rows += text == nullptr
                  ? "NULL"
                  : std::string(text, static_cast<size_t>(sqlite3_column_bytes(statement, column)));
    }
    rows += '\n';
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return rows;
}

SurveyAnswers answersOf(const std::string& name, const std::string& age) {
  SurveyAnswers answers = trickyAnswers();
  answers.firstName = name;
  answers.ageNowText = age;
  return answers;
}

class RecordDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("survey-database-test-" + std::to_string(std::random_device()()));
    fs::create_directories(dir_);
    sites_["north.dat"] = recordOf(answersOf("Ada", "36")) + recordOf(answersOf("Bo", "36yrs"));
    sites_["south.dat"] = recordOf(answersOf("Cy", "-3"));
    sites_["east.dat"] = recordOf(answersOf("Di", "41")) + sites_["south.dat"];
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs the tool over the sites in memory into `database`; returns its exit status.
  int run(const std::string& database, std::vector<std::string> args) {
    FakeEnv env("");
    for (const auto& [name, bytes] : sites_) env.memoryFiles().files[name] = bytes;
    args.insert(args.begin(), {"--format=sqlite", "--output", (dir_ / database).string()});
    const int status = runExport(env, args);
    errors_ = env.fakeErrors().text;
    return status;
  }
  std::string records(const std::string& database) {
    return query(dir_ / database, "SELECT * FROM records ORDER BY recordId");
  }
  // The names in the test's folder, in order, each followed by a space.
  std::string entries() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      names.insert(entry.path().filename().string());
    }
    std::string joined;
    for (const std::string& name : names) joined += name + " ";
    return joined;
  }

  fs::path dir_;
  std::map<std::string, std::string> sites_;
  std::string errors_;
};

TEST_F(RecordDatabaseTest, RunsOneSiteAtATimeGiveTheTableOfOneRunOverAll) {
  ASSERT_EQ(run("all.db", {"north.dat", "south.dat", "east.dat"}), 0) << errors_;
  for (const char* site : {"north.dat", "south.dat", "east.dat"}) {
    ASSERT_EQ(run("one-by-one.db", {site}), 0) << errors_;
  }
  EXPECT_EQ(errors_, "survey-export: east.dat: 1 record new to " +
                         (dir_ / "one-by-one.db").string() + ", 1 already there\n");
  const std::string all = records("all.db");
  EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 4);
  EXPECT_PRED_FORMAT2(sameText, records("one-by-one.db"), all);
  EXPECT_EQ(query(dir_ / "one-by-one.db",
                  "SELECT path, records, newRecords, faults FROM files ORDER BY fileId"),
            "north.dat|2|2|0\nsouth.dat|1|1|0\neast.dat|2|1|0\n");
  EXPECT_EQ(query(dir_ / "all.db", "SELECT MAX(line), SUM(ageNow), COUNT(ageNow) FROM records"),
            "36|74|3\n");
  for (const char* database : {"all.db", "one-by-one.db"}) {
    EXPECT_EQ(query(dir_ / database, "PRAGMA user_version"), "2\n");
    // The key is there whether the database was made in one run or added to.
    EXPECT_EQ(query(dir_ / database, "SELECT name, \"unique\" FROM pragma_index_list('records')"),
              "recordsByRecordId|1\n")
        << database;
  }
}

TEST_F(RecordDatabaseTest, ARecordTwiceInTheRunThatMakesTheDatabaseIsAddedOnce) {
  sites_["twice.dat"] = sites_["north.dat"] + sites_["south.dat"] + sites_["north.dat"];
  ASSERT_EQ(run("twice.db", {"twice.dat", "south.dat"}), 0) << errors_;
  EXPECT_EQ(errors_, "survey-export: twice.dat: 3 records new to " + (dir_ / "twice.db").string() +
                         ", 2 already there\n"
                         "survey-export: south.dat: 0 records new to " +
                         (dir_ / "twice.db").string() + ", 1 already there\n");
  EXPECT_EQ(query(dir_ / "twice.db", "SELECT COUNT(*), COUNT(DISTINCT recordId) FROM records"),
            "3|3\n");
  EXPECT_EQ(query(dir_ / "twice.db", "SELECT path, records, newRecords FROM files"),
            "twice.dat|5|3\nsouth.dat|1|0\n");
}

// The schema of the first version: the key a constraint of the recordId column.
std::string firstSchema() {
  std::string schema = databaseSchema();
  const std::string index = "CREATE UNIQUE INDEX recordsByRecordId ON records (recordId);\n";
  const size_t at = schema.find(index);
  if (at != std::string::npos) schema.erase(at, index.size());
  const std::string key = "recordId TEXT NOT NULL";
  schema.insert(schema.find(key) + key.size(), " UNIQUE");
  return schema;
}

// Makes `path` a database with `sql`; gives SQLite's error, or "" when it was made.
std::string make(const fs::path& path, const std::string& sql) {
  sqlite3* db = nullptr;
  char* error = nullptr;
  sqlite3_open(path.c_str(), &db);
  std::string message;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) message = error;
  sqlite3_free(error);
  sqlite3_close(db);
  return message;
}

TEST_F(RecordDatabaseTest, ADatabaseOfTheFirstVersionIsAddedToAsItIs) {
  ASSERT_EQ(make(dir_ / "first.db", firstSchema() + "PRAGMA user_version = 1;"), "");
  ASSERT_EQ(run("first.db", {"north.dat", "south.dat"}), 0) << errors_;
  ASSERT_EQ(run("first.db", {"east.dat"}), 0) << errors_;
  EXPECT_EQ(errors_, "survey-export: east.dat: 1 record new to " + (dir_ / "first.db").string() +
                         ", 1 already there\n");
  ASSERT_EQ(run("all.db", {"north.dat", "south.dat", "east.dat"}), 0) << errors_;
  EXPECT_PRED_FORMAT2(sameText, records("first.db"), records("all.db"));
  EXPECT_EQ(query(dir_ / "first.db", "PRAGMA user_version"), "1\n");
  EXPECT_EQ(query(dir_ / "first.db", "SELECT COUNT(*) FROM pragma_index_list('records')"), "1\n");
}

TEST_F(RecordDatabaseTest, RefusesADatabaseOfAnotherKindAndLeavesIt) {
  const struct {
    const char* sql;
    const char* error;
  } kOthers[] = {
      {"CREATE TABLE notes (text TEXT);", "not a database of survey records"},
      {"CREATE TABLE records (recordId TEXT); PRAGMA user_version = 3;",
       "made by a later version of this program (schema 3)"},
      {"CREATE TABLE records (recordId TEXT); PRAGMA user_version = -1;",
       "not a database of survey records"},
  };
  for (const auto& other : kOthers) {
    const fs::path path = dir_ / "other.db";
    fs::remove(path);
    ASSERT_EQ(make(path, other.sql), "");
    EXPECT_EQ(run("other.db", {"north.dat"}), 2) << other.sql;
    EXPECT_NE(errors_.find(other.error), std::string::npos) << errors_;
    EXPECT_EQ(query(path, "SELECT group_concat(name) FROM sqlite_master"),
              std::string(other.sql).find("notes") != std::string::npos ? "notes\n" : "records\n");
  }
}

TEST_F(RecordDatabaseTest, HoldsEveryValueAsTheCsvHasItWithTypedColumns) {
  SurveyAnswers longest = answersOf("\xC3\xA9\xF0\x9F\x98\x80", "0036");
  longest.surname = std::string(InputReader::kWordLimit - 1, '"') + "Z";
  longest.tribalLanguage = "\x01\x1b[1m\x7f";
  sites_["long.dat"] = recordOf(longest);
  FakeEnv csv("");
  csv.memoryFiles().files["long.dat"] = sites_["long.dat"];
  ASSERT_EQ(runExport(csv, {"long.dat"}), 0) << csv.fakeErrors().text;
  const Table expected = decodeCsv(csv.fakeOutput().text);
  ASSERT_EQ(expected.size(), 1u);
  ASSERT_EQ(run("typed.db", {"long.dat"}), 0) << errors_;

  for (std::string_view column : kColumnNames) {
    const std::string name(column);
    // A real number is read back as the record shows it: six significant digits.
    const bool real =
        query(dir_ / "typed.db", "SELECT typeof(" + name + ") FROM records") == "real\n";
    std::string value =
        query(dir_ / "typed.db",
              "SELECT " + (real ? "printf('%.6g', " + name + ")" : name) + " FROM records");
    value.pop_back();
    std::string wanted = expected[0].at(name);
    if (name == "file") wanted = "long.dat";
    EXPECT_EQ(value, wanted) << name;
  }
  EXPECT_EQ(query(dir_ / "typed.db",
                  "SELECT typeof(line), typeof(anotherYearAge), typeof(sameAgePlusAnotherYearAge),"
                  " typeof(firstName), ageNow, typeof(ageNow) FROM records"),
            "integer|real|real|text|36|integer\n");
}

TEST_F(RecordDatabaseTest, AgeNowIsTheAnswerWhereItIsAWholeNumberAndNullElse) {
  const struct {
    const char* text;
    const char* ageNow;
  } kAges[] = {
      {"36", "36"},
      {"-3", "-3"},
      {"036", "36"},
      {"36yrs", "NULL"},
      {"36.5", "NULL"},
      {"N/A", "NULL"},
      {"-", "NULL"},
      {"9223372036854775807", "9223372036854775807"},
      {"9223372036854775808", "NULL"},
      {"-9223372036854775808", "-9223372036854775808"},
  };
  std::string file;
  std::string expected;
  for (const auto& age : kAges) {
    file += recordOf(answersOf("A", age.text));
    expected += std::string(age.text) + "|" + age.ageNow + "\n";
  }
  sites_["ages.dat"] = file;
  ASSERT_EQ(run("ages.db", {"ages.dat"}), 0) << errors_;
  EXPECT_EQ(query(dir_ / "ages.db", "SELECT ageNowText, ageNow FROM records ORDER BY line"),
            expected);
}

TEST_F(RecordDatabaseTest, KeepsFaultsByFile) {
  sites_["edited.dat"] = "stray line\n" + recordOf(answersOf("Ed", "30"));
  EXPECT_EQ(run("faults.db", {"edited.dat"}), 1);
  EXPECT_EQ(query(dir_ / "faults.db",
                  "SELECT path, records, faults, firstLine, lastLine FROM faults JOIN files "
                  "USING (fileId)"),
            "edited.dat|1|1|1|1\n");
}

TEST_F(RecordDatabaseTest, AFailedRunLeavesTheDatabaseAsItWas) {
  ASSERT_EQ(run("kept.db", {"north.dat"}), 0);
  const std::string before = records("kept.db") + query(dir_ / "kept.db", "SELECT * FROM files");
  EXPECT_EQ(run("kept.db", {"south.dat", "missing.dat"}), 2);
  EXPECT_NE(errors_.find("kept.db: left as it was"), std::string::npos) << errors_;
  EXPECT_EQ(records("kept.db") + query(dir_ / "kept.db", "SELECT * FROM files"), before);
  EXPECT_FALSE(fs::exists(dir_ / "kept.db-journal"));

  std::ofstream(dir_ / "notes.db") << "not a database\n";
  EXPECT_EQ(run("notes.db", {"north.dat"}), 2);
  std::ostringstream notes;
  notes << std::ifstream(dir_ / "notes.db").rdbuf();
  EXPECT_EQ(notes.str(), "not a database\n");
}

TEST_F(RecordDatabaseTest, ANewDatabaseAppearsWholeAndNothingElseIsLeft) {
  const auto contents = [this](const std::string& database) {
    return records(database) +
           query(dir_ / database, "SELECT path, records, newRecords FROM files");
  };
  // A run killed after its commit left a whole database of other records under the partial
  // name: the next run starts the database afresh.
  ASSERT_EQ(run("other.db", {"east.dat"}), 0) << errors_;
  fs::rename(dir_ / "other.db", dir_ / "new.db.partial");
  ASSERT_EQ(run("new.db", {"north.dat"}), 0) << errors_;
  ASSERT_EQ(run("fresh.db", {"north.dat"}), 0) << errors_;
  EXPECT_PRED_FORMAT2(sameText, contents("new.db"), contents("fresh.db"));
  EXPECT_EQ(entries(), "fresh.db new.db ");

  EXPECT_EQ(run("failed.db", {"north.dat", "missing.dat"}), 2);
  EXPECT_NE(errors_.find("failed.db: left as it was"), std::string::npos) << errors_;
  EXPECT_EQ(entries(), "fresh.db new.db ");
}

// What a run killed while making `partial`'s database leaves: the file with pages written in
// its transaction, and the journal that undoes them.
void makeKilledRunLeftover(const fs::path& partial) {
  const fs::path scratch = partial.string() + ".scratch";
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(scratch.c_str(), &db), SQLITE_OK);
  // A cache of a few pages, so that the transaction's pages go to the file before the commit.
  const std::string fill =
      "PRAGMA cache_size = 2; BEGIN; CREATE TABLE records (recordId TEXT);"
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300) "
      "INSERT INTO records SELECT hex(randomblob(500)) FROM n;";
  ASSERT_EQ(sqlite3_exec(db, fill.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
  fs::copy_file(scratch, partial);
  fs::copy_file(scratch.string() + "-journal", partial.string() + "-journal");
  sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  fs::remove(scratch);
}

// Another program's database under the partial name.
void makeOtherDatabase(const fs::path& path) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE notes (text); INSERT INTO notes VALUES ('mine');",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
}

TEST_F(RecordDatabaseTest, APartialFileIsRemovedOnlyWhenAStoppedRunOfOursLeftIt) {
  ASSERT_EQ(run("fresh.db", {"north.dat"}), 0) << errors_;
  const std::string fresh = records("fresh.db");
  struct Case {
    const char* name;
    bool databaseThere;              // new.db was made before the leftover was found
    void (*leave)(const fs::path&);  // what lies under new.db.partial
    int status;
    const char* entriesAfter;
    const char* notice;  // on standard error; "" for none
  };
  const Case cases[] = {
      {"killed making it", false, makeKilledRunLeftover, 0, "fresh.db new.db ",
       "new.db.partial: left by a run that stopped before it finished; its records are dropped"},
      {"killed making it, made since", true, makeKilledRunLeftover, 0, "fresh.db new.db ",
       "new.db.partial: left by a run that stopped before it finished making the database; "
       "removed"},
      {"another program's", false, makeOtherDatabase, 2, "fresh.db new.db.partial ",
       "new.db.partial: in the way"},
      {"another program's, beside it", true, makeOtherDatabase, 0,
       "fresh.db new.db new.db.partial ", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(dir_ / "new.db");
    fs::remove(dir_ / "new.db.partial");
    if (c.databaseThere) {
      ASSERT_EQ(run("new.db", {"north.dat"}), 0) << errors_;
    }
    c.leave(dir_ / "new.db.partial");
    EXPECT_EQ(run("new.db", {"north.dat"}), c.status) << errors_;
    EXPECT_EQ(entries(), c.entriesAfter);
    if (*c.notice == '\0') {
      EXPECT_EQ(errors_.find("partial"), std::string::npos) << errors_;
    } else {
      EXPECT_NE(errors_.find(c.notice), std::string::npos) << errors_;
    }
    if (c.status == 0) {
      EXPECT_PRED_FORMAT2(sameText, records("new.db"), fresh);
    }
    if (c.leave == makeOtherDatabase) {
      EXPECT_EQ(query(dir_ / "new.db.partial", "SELECT * FROM notes"), "mine\n");
    }
  }
}

TEST_F(RecordDatabaseTest, NeedsAnOutputFileAndRefusesTextOptions) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--format=sqlite"},
           {"--format=sqlite", "--codebook", "--output=x.db"},
           {"--format=sqlite", "--bom", "--output=x.db"},
           {"--format=sqlite", "--safe-cells", "--output=x.db"}}) {
    FakeEnv env("");
    EXPECT_EQ(runExport(env, args), 2) << ::testing::PrintToString(args);
    EXPECT_NE(env.fakeErrors().text.find("Try 'survey-export --help'"), std::string::npos);
  }
}

TEST(RecordDatabaseSchema, TheManualShowsTheSchemaOfTheDatabase) {
  std::ostringstream manual;
  manual << std::ifstream(std::string(SURVEY_SOURCE_DIR) + "/docs/survey-export.1.in").rdbuf();
  const std::string schema = databaseSchema();
  EXPECT_NE(manual.str().find(schema), std::string::npos) << schema;
}

}  // namespace
}  // namespace survey::testing
#endif
