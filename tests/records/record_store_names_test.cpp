// The record store where the journal's name is not what it seems: systems whose calls on a
// link's name act on its target, folders where no journal can be made, and a journal that
// another program holds open.
#include <gtest/gtest.h>

#include <functional>

#include "records/record_store.h"
#include "records/store_test_support.h"
#include "support/fakes.h"

namespace survey::testing {
namespace {

const std::string p = record('P'), a = record('A'), b = record('B');

// Where reading or removing a link's name reads or removes its target, nothing at the
// journal's name is removed but a file that names this record file and is this user's.
TEST(RecordStoreNames, WhereCallsFollowLinksOnlyThisUsersJournalForThisFileIsRemoved) {
  const struct {
    const char* name;
    std::function<void(MemoryFileSystem&)> setUp;
    std::string file;   // the record file after two saves of 'B'
    bool journalStays;  // something stays at the journal's name
    size_t notices;     // that the saves went on without their safeguard
  } cases[] = {
      {"a link to another file of this user",
       [](MemoryFileSystem& f) {
         f.files["notes.txt"] = "keep me";
         f.links[kPending] = "notes.txt";
       },
       p + b + b, true, 1},
      {"a link to the record file itself", [](MemoryFileSystem& f) { f.links[kPending] = kPath; },
       p + b + b, true, 1},
      {"this user's file that is no journal",
       [](MemoryFileSystem& f) { f.files[kPending] = "a shopping list\n"; }, p + b + b, true, 1},
      {"another user's journal for this file",
       [](MemoryFileSystem& f) {
         f.files[kPath] += a.substr(0, 5);
         f.files[kPending] = journal(f, p.size(), a);
         f.foreign.insert(kPending);
       },
       p + a.substr(0, 5) + "\n" + b + b, true, 1},
      {"this user's journal for this file, cut short in its own write",
       [](MemoryFileSystem& f) { f.files[kPending] = journal(f, p.size(), a).substr(0, 40); },
       p + b + b, false, 0},
      {"this user's journal for this file completes its record",
       [](MemoryFileSystem& f) {
         f.files[kPath] += a.substr(0, 5);
         f.files[kPending] = journal(f, p.size(), a);
       },
       p + a + b + b, false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryFileSystem files;
    files.callsFollowLinks = true;
    files.files[kPath] = p;
    c.setUp(files);
    const std::map<std::string, std::string> before = files.files;
    Reports reports;
    StoreMemory memory = testMemory();
    for (int save = 0; save < 2; ++save) {
      Status saved = appendRecord(files, kPath, b, reports, memory);
      ASSERT_TRUE(saved.ok()) << saved.reason();
    }
    EXPECT_EQ(files.files[kPath], c.file);
    EXPECT_EQ(files.files.count(kPending) + files.links.count(kPending), c.journalStays ? 1u : 0u);
    for (const auto& [path, bytes] : before) {
      if (path == kPath || (path == kPending && !c.journalStays)) continue;
      EXPECT_EQ(files.files.count(path) ? files.files[path] : "(removed)", bytes) << path;
    }
    EXPECT_EQ(reports.safeguardsLost.size(), c.notices);
    EXPECT_TRUE(files.unsyncedEntries.empty());
  }
}

// On either kind of system: a folder where this user may write the record file but make no
// new file saves under the lock alone and says so once; a journal that another program holds
// is waited for with a notice, as a held record file is, and fails the save while it stays.
TEST(RecordStoreNames, AJournalThatCannotBeMadeOrIsHeldIsNotASilentFailure) {
  const std::string savedTwice = p + b + b;
  for (bool followsLinks : {false, true}) {
    SCOPED_TRACE(followsLinks ? "calls follow links" : "calls act on names");
    MemoryFileSystem files;
    files.callsFollowLinks = followsLinks;
    files.files[kPath] = p;
    files.failWhen = [](const std::string& step, const std::string& path) {
      return step == "create" && path == kPending;
    };
    Reports reports;
    StoreMemory memory = testMemory();
    for (int save = 0; save < 2; ++save) {
      Status saved = appendRecord(files, kPath, b, reports, memory);
      ASSERT_TRUE(saved.ok()) << saved.reason();
    }
    EXPECT_EQ(files.files[kPath], savedTwice);
    ASSERT_EQ(reports.safeguardsLost.size(), 1u);
    EXPECT_NE(reports.safeguardsLost[0].find("cannot be created"), std::string::npos);
    EXPECT_EQ(files.files.count(kPending), 0u);

    // This user's journal for this file, held without letting it be removed: let go while
    // the save waits, then held for good.
    files.failWhen = nullptr;
    for (bool letGo : {true, false}) {
      SCOPED_TRACE(letGo ? "let go" : "held for good");
      const std::string file = files.files[kPath];
      files.files[kPending] = journal(files, p.size(), a);
      files.heldOpenElsewhere.insert(kPending);
      int removals = 0;
      files.beforeStep = [&](const std::string& step, const std::string&) {
        if (step == "remove" && ++removals == 2 && letGo) files.heldOpenElsewhere.clear();
      };
      reports.waits.clear();
      Status saved = appendRecord(files, kPath, b, reports, memory);
      EXPECT_EQ(reports.waits, std::vector<std::string>{"Sharing violation."});
      if (letGo) {
        EXPECT_TRUE(saved.ok()) << saved.reason();
        EXPECT_EQ(files.files[kPath], file + b);
        EXPECT_EQ(files.files.count(kPending), 0u);
      } else {
        EXPECT_EQ(saved.reason(), "another program holds " + kPending + ": Sharing violation.");
        EXPECT_EQ(files.files[kPath], file);
      }
      files.beforeStep = nullptr;
      files.heldOpenElsewhere.clear();
    }
  }
}

// A file system without byte-range locks: records are saved, and that they are saved unlocked
// is said once a run; a reader reads the file as it is.
TEST(RecordStoreNames, AFileSystemWithoutLocksIsSaidOnceNotTrustedSilently) {
  MemoryFileSystem files;
  files.withoutLocks = true;
  files.files[kPath] = p;
  Reports reports;
  StoreMemory memory = testMemory();
  for (int save = 0; save < 2; ++save) {
    Status saved = appendRecord(files, kPath, b, reports, memory);
    ASSERT_TRUE(saved.ok()) << saved.reason();
  }
  EXPECT_EQ(files.files[kPath], p + b + b);
  EXPECT_EQ(reports.locksMissingSaid, std::vector<std::string>{"no byte-range locks"});
  std::unique_ptr<RandomAccessFile> file;
  ASSERT_TRUE(openRecords(files, kPath, reports, &file).ok());
  std::string read(p.size() + 2 * b.size() + 1, '\0');
  size_t count = 0;
  ASSERT_TRUE(file->readAt(0, read.data(), read.size(), &count).ok());
  EXPECT_EQ(read.substr(0, count), p + b + b);
}

}  // namespace
}  // namespace survey::testing
