// The POSIX file system's steps for the record store, on real files: what is never followed
// or read past its limit, the lock between two open files, and reads that end where the file
// ended when it was opened.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>

#include "platform/env.h"
#include "process/process_support.h"
#include "records/store_files.h"

namespace survey::testing {
namespace {

using std::chrono::milliseconds;
using Kind = Status::Kind;

void writeFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

TEST(FileSystem, NothingBesideTheFileIsFollowedOrReadPastItsLimit) {
  std::unique_ptr<Env> env = makeSystemEnv();
  FileSystem& files = env->files();
  const struct {
    const char* name;
    std::function<void(const std::string& path, const std::string& target)> make;
    const char* read;   // what readBounded says
    bool created;       // whether createExclusive makes it
    const char* bytes;  // what readBounded reads, when it does
  } cases[] = {
      {"nothing there", [](auto&, auto&) {}, "missing", true, ""},
      {"a file larger than the limit", [](auto& path, auto&) { writeFile(path, "0123456789"); },
       "ok", false, "0123"},
      {"a link to a file", [](auto& path, auto& target) { symlink(target.c_str(), path.c_str()); },
       "not regular", false, ""},
      {"a link to nothing", [](auto& path, auto&) { symlink("nowhere", path.c_str()); },
       "not regular", false, ""},
      {"a link to /dev/zero", [](auto& path, auto&) { symlink("/dev/zero", path.c_str()); },
       "not regular", false, ""},
      {"a directory", [](auto& path, auto&) { mkdir(path.c_str(), 0755); }, "not regular", false,
       ""},
      {"a named pipe", [](auto& path, auto&) { mkfifo(path.c_str(), 0644); }, "not regular", false,
       ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    const std::string path = dir.file("datas.dat.pending"), target = dir.file("target");
    writeFile(target, "kept");
    c.make(path, target);
    std::string bytes;
    FileFacts facts;
    Status read = files.readBounded(path, kSharingWaitLimit, 4, &bytes, &facts);
    EXPECT_EQ(read.ok()                    ? "ok"
              : read.is(Kind::kMissing)    ? "missing"
              : read.is(Kind::kNotRegular) ? "not regular"
                                           : read.reason(),
              std::string(c.read));
    EXPECT_EQ(bytes, c.bytes);
    std::unique_ptr<StoreFile> file;
    EXPECT_EQ(files.createExclusive(path, &file).ok(), c.created);
    file.reset();
    EXPECT_EQ(readFile(target), "kept");
    EXPECT_NE(access(dir.file("nowhere").c_str(), F_OK), 0) << "a link was followed";
    if (std::string(c.read) != "not regular" || std::string(c.name) == "a directory") continue;
    EXPECT_TRUE(files.remove(path, kSharingWaitLimit).ok());
    EXPECT_EQ(readFile(target), "kept");
  }
}

TEST(FileSystem, TheLockHoldsBetweenOpenFilesAndReadsEndWhereTheFileEnded) {
  std::unique_ptr<Env> env = makeSystemEnv();
  FileSystem& files = env->files();
  ScratchDir dir;
  const std::string path = dir.file("datas.dat");
  std::unique_ptr<StoreFile> writer, other;
  bool created = false;
  ASSERT_TRUE(
      files.openStoreFile(path, OpenMode::kAppend, milliseconds(0), &writer, &created).ok());
  EXPECT_TRUE(created);
  ASSERT_TRUE(files.openStoreFile(path, OpenMode::kAppend, milliseconds(0), &other, &created).ok());
  EXPECT_FALSE(created);
  size_t written = 0;
  ASSERT_TRUE(writer->append("first\n", &written).ok());
  // A writer holds the save lock throughout and the bytes lock while it changes the file;
  // a reader waits only for the bytes lock.
  ASSERT_TRUE(writer->lock(FileLock::kSave, LockMode::kExclusive, milliseconds(0)).ok());
  EXPECT_TRUE(other->lock(FileLock::kSave, LockMode::kExclusive, milliseconds(20)).is(Kind::kBusy));
  ASSERT_TRUE(other->lock(FileLock::kBytes, LockMode::kShared, milliseconds(0)).ok());
  EXPECT_TRUE(
      writer->lock(FileLock::kBytes, LockMode::kExclusive, milliseconds(20)).is(Kind::kBusy));
  other->unlock(FileLock::kBytes);
  ASSERT_TRUE(writer->lock(FileLock::kBytes, LockMode::kExclusive, milliseconds(0)).ok());
  EXPECT_TRUE(other->lock(FileLock::kBytes, LockMode::kShared, milliseconds(20)).is(Kind::kBusy));

  ASSERT_TRUE(writer->append("second\n", &written).ok());
  ASSERT_TRUE(writer->truncate(6).ok());
  writer->unlock(FileLock::kBytes);
  std::unique_ptr<RandomAccessFile> reader;
  ASSERT_TRUE(openSnapshot(files, path, nullptr, &reader).ok());
  ASSERT_TRUE(writer->append("later\n", &written).ok());  // after the reader opened
  char buffer[64];
  size_t count = 0;
  ASSERT_TRUE(reader->readAt(0, buffer, sizeof buffer, &count).ok());
  EXPECT_EQ(std::string(buffer, count), "first\n");
  uint64_t size = 0;
  ASSERT_TRUE(writer->size(&size).ok());
  EXPECT_EQ(size, 12u);
  EXPECT_TRUE(writer->sync().ok());
  EXPECT_TRUE(files.syncDirectory(path).ok());
  std::unique_ptr<StoreFile> folder;
  EXPECT_TRUE(files.openStoreFile(dir.path(), OpenMode::kRead, milliseconds(0), &folder, nullptr)
                  .is(Kind::kNotRegular));
}

// The facts the store checks before it trusts a journal: a new journal is the user's alone
// whatever the umask, and each fact follows the file's owner, mode and identity.
TEST(FileSystem, FactsNameTheFileItsOwnerAndWhoElseMayWrite) {
  std::unique_ptr<Env> env = makeSystemEnv();
  FileSystem& files = env->files();
  const struct {
    const char* name;
    bool needsRoot;
    std::function<void(const std::string& path)> change;
    bool owned;
    bool writableByOthers;
  } cases[] = {
      {"made by createExclusive", false, [](auto&) {}, true, false},
      {"writable by its group", false, [](auto& path) { chmod(path.c_str(), 0620); }, true, true},
      {"writable by all", false, [](auto& path) { chmod(path.c_str(), 0606); }, true, true},
      {"another user's", true, [](auto& path) { chown(path.c_str(), 65534, 65534); }, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.needsRoot && geteuid() != 0) continue;
    ScratchDir dir;
    const std::string path = dir.file("datas.dat.pending");
    const mode_t mask = umask(0);
    std::unique_ptr<StoreFile> file;
    const Status created = files.createExclusive(path, &file);
    umask(mask);
    ASSERT_TRUE(created.ok()) << created.reason();
    c.change(path);
    FileFacts open, read;
    ASSERT_TRUE(file->facts(&open).ok());
    std::string bytes;
    ASSERT_TRUE(files.readBounded(path, kSharingWaitLimit, 4, &bytes, &read).ok());
    struct stat info;
    ASSERT_EQ(lstat(path.c_str(), &info), 0);
    for (const FileFacts& facts : {open, read}) {
      EXPECT_EQ(facts.device, static_cast<uint64_t>(info.st_dev));
      EXPECT_EQ(facts.file, static_cast<uint64_t>(info.st_ino));
      EXPECT_EQ(facts.ownedByUser, c.owned);
      EXPECT_EQ(facts.writableByOthers, c.writableByOthers);
    }
  }
}

}  // namespace
}  // namespace survey::testing
