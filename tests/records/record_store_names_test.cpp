// The record store where the journal's name is not what it seems: folders where no journal can
// be made, a journal that another program holds open, and a file system without locks.
#include <gtest/gtest.h>

#include "records/record_store.h"
#include "records/store_test_support.h"
#include "support/fakes.h"

namespace survey::testing {
namespace {

const std::string p = record('P'), a = record('A'), b = record('B');

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
