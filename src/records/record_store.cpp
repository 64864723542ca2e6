// The append protocol. A save holds the file's save lock throughout, and its bytes lock only
// while it changes the file, so that readers wait for no more than that. While a record goes
// in, a journal beside the file ("datas.dat.pending") holds the offset it goes to and its
// bytes, synced with its directory before the record is written and removed once the record
// is synced. The next save settles whatever a stopped save left: it completes a record cut
// short, or takes out one whose save failed (the journal then ends with a mark). A journal is
// trusted only as far as the file bears it out.
#include "records/record_store.h"

#include <functional>

namespace survey {
namespace {

constexpr std::string_view kJournalTag = "survey-pending ";
// Appended to the journal of a save that failed: what got in is to be taken out, not completed.
constexpr std::string_view kTakeOutMark = "cut\n";
constexpr size_t kJournalLimit = kRecordSizeLimit + 128;

// The reasons the store gives beyond the system's.
constexpr const char* kHeldOpen = "another program holds the file: ";
constexpr const char* kLockHeld = "another program has held its lock for a minute";
constexpr const char* kTooLarge = "the record is larger than 256 KiB";
constexpr const char* kCannotTakeOut =
    "a record that a stopped save left unfinished cannot be taken out: ";
constexpr const char* kTakenOutNext = "; what got in is taken out by the next save";
constexpr const char* kMayRemain = "; part of it may remain in the file";

// "survey-pending OFFSET LENGTH\n", then the LENGTH bytes of the record as the file holds
// them, then the take-out mark once the save has failed. Shorter: the append never began.
struct Journal {
  uint64_t offset = 0;
  std::string_view text;
  bool takeOut = false;
};

bool readNumber(std::string_view* text, char end, uint64_t* value) {
  size_t digits = 0;
  *value = 0;
  while (digits < text->size() && digits < 19 && (*text)[digits] >= '0' && (*text)[digits] <= '9') {
    *value = *value * 10 + static_cast<uint64_t>((*text)[digits++] - '0');
  }
  if (digits == 0 || digits >= text->size() || (*text)[digits] != end) return false;
  text->remove_prefix(digits + 1);
  return true;
}

bool parseJournal(std::string_view bytes, Journal* journal) {
  if (bytes.substr(0, kJournalTag.size()) != kJournalTag) return false;
  bytes.remove_prefix(kJournalTag.size());
  uint64_t length = 0;
  if (!readNumber(&bytes, ' ', &journal->offset) || !readNumber(&bytes, '\n', &length) ||
      bytes.size() < length) {
    return false;
  }
  journal->text = bytes.substr(0, static_cast<size_t>(length));
  journal->takeOut = bytes.size() > length;
  return true;
}

// One save: the record file open and locked, and the journal of this save once written.
class Append {
 public:
  Append(FileSystem& files, const std::string& path, StoreReports& reports)
      : files_(files), path_(path), journalPath_(pendingPath(path)), reports_(reports) {}

  Status run(std::string_view record) {
    const std::string text = files_.textFileBytes(record);
    if (text.size() > kRecordSizeLimit) return Status::error(kTooLarge);
    bool created = false;
    Status status = waitWithNotice(
        [&](std::chrono::milliseconds wait) {
          return files_.openStoreFile(path_, OpenMode::kAppend, wait, &file_, &created);
        },
        kSharingWaitLimit, waiting());
    if (status.is(Status::Kind::kBusy)) return Status::error(kHeldOpen + status.reason());
    if (!status.ok()) return status;
    size_t written = 0;
    if (!file_->isRegular()) {  // a device: nothing to lock or to take back
      status = file_->append(text, &written);
      return status.ok() ? file_->sync() : status;
    }
    status = lock(FileLock::kSave);
    uint64_t offset = 0;
    if (status.ok()) status = settlePending();
    if (status.ok()) status = file_->size(&offset);
    // A file that does not end with a line end (edited, or written by another program) gets
    // one first, so that the record starts on a line of its own.
    bool lineEnded = true;
    if (status.ok() && offset > 0) status = fileHolds(offset - 1, "\n", &lineEnded);
    const std::string bytes = lineEnded ? text : files_.textFileBytes("\n") + text;
    // The directory sync after the journal also makes a new file's entry durable.
    if (status.ok()) status = writeJournal(offset, bytes);
    if (!status.ok()) return status;
    status = lock(FileLock::kBytes);
    if (!status.ok()) {
      journal_.reset();
      dropJournal();  // left behind, it finds nothing of its record: harmless
      return status;
    }
    status = file_->append(bytes, &written);
    if (status.ok()) status = file_->sync();
    if (!status.ok()) return takeBack(offset, status);
    file_->unlock(FileLock::kBytes);
    // The record is in; a journal that stays behind finds it whole next time.
    journal_.reset();
    dropJournal();
    return Status();
  }

 private:
  std::function<void(const Status&)> waiting() {
    return [this](const Status& busy) { reports_.waiting(path_, busy); };
  }

  // Takes one of the file's locks exclusively, with a notice when that takes a while.
  Status lock(FileLock which) {
    Status status = waitWithNotice(
        [&](std::chrono::milliseconds wait) {
          return file_->lock(which, LockMode::kExclusive, wait);
        },
        kLockWaitLimit, waiting());
    return status.is(Status::Kind::kBusy) ? Status::error(kLockHeld) : status;
  }

  Status dropJournal() {
    Status status = files_.remove(journalPath_);
    if (status.is(Status::Kind::kMissing)) return Status();  // gone already: another program
    return status.ok() ? files_.syncDirectory(journalPath_) : status;
  }

  // Settles the journal a stopped save left, if any, and removes it. Anything by its name that
  // is not a journal (a link, a directory, a file too large) is removed unread.
  Status settlePending() {
    std::string bytes;
    Status read = files_.readBounded(journalPath_, kJournalLimit + 1, &bytes);
    if (read.is(Status::Kind::kMissing)) return Status();
    if (!read.ok() && !read.is(Status::Kind::kNotRegular)) {
      return Status::error("cannot read " + journalPath_ + ": " + read.reason());
    }
    Journal journal;
    if (read.ok() && bytes.size() <= kJournalLimit && parseJournal(bytes, &journal)) {
      Status settled = settle(journal);
      if (!settled.ok()) return settled;
    }
    Status dropped = dropJournal();
    return dropped.ok() ? dropped
                        : Status::error("cannot remove " + journalPath_ + ": " + dropped.reason());
  }

  // Completes the record of `journal` when the file holds a start of it where it went, or
  // takes that start out when its save failed. Anything else is left as it is.
  Status settle(const Journal& journal) {
    uint64_t size = 0;
    Status status = file_->size(&size);
    if (!status.ok()) return status;
    const uint64_t end = journal.offset + journal.text.size();
    if (size <= journal.offset || size > end || (size == end && !journal.takeOut)) return status;
    const size_t got = static_cast<size_t>(size - journal.offset);
    bool matches = false;
    status = fileHolds(journal.offset, journal.text.substr(0, got), &matches);
    if (!status.ok() || !matches) return status;
    status = lock(FileLock::kBytes);
    if (!status.ok()) return status;
    status = changeBytes(journal, got);
    file_->unlock(FileLock::kBytes);
    return status;
  }

  // Completes or takes out the record of `journal`, of which the file holds `got` bytes.
  Status changeBytes(const Journal& journal, size_t got) {
    Status status;
    if (!journal.takeOut) {
      size_t written = 0;
      Status completed = file_->append(journal.text.substr(got), &written);
      if (completed.ok()) completed = file_->sync();
      if (completed.ok()) return completed;
      status = completed;
    }
    Status cut = file_->truncate(journal.offset);
    if (cut.ok()) cut = file_->sync();
    if (!cut.ok()) return Status::error(kCannotTakeOut + cut.reason());
    if (!journal.takeOut) reports_.recordTakenOut(path_, status, journal.text);
    return Status();
  }

  // Whether the file holds `bytes` at `offset`.
  Status fileHolds(uint64_t offset, std::string_view bytes, bool* matches) {
    std::string held(bytes.size(), '\0');
    size_t count = 0;
    for (size_t got = 1; got > 0 && count < held.size(); count += got) {
      Status status = file_->readAt(offset + count, held.data() + count, held.size() - count, &got);
      if (!status.ok()) return status;
    }
    *matches = count == held.size() && held == bytes;
    return Status();
  }

  Status writeJournal(uint64_t offset, std::string_view text) {
    Status status = files_.createExclusive(journalPath_, &journal_);
    if (!status.ok()) {
      return Status::error("cannot create " + journalPath_ + ": " + status.reason());
    }
    std::string content(kJournalTag);
    content += std::to_string(offset) + " " + std::to_string(text.size()) + "\n";
    content += text;
    size_t written = 0;
    status = journal_->append(content, &written);
    if (status.ok()) status = journal_->sync();
    if (status.ok()) status = files_.syncDirectory(journalPath_);
    if (status.ok()) return status;
    journal_.reset();
    dropJournal();  // left behind, it is cut short or finds nothing of its record: harmless
    return Status::error("cannot write " + journalPath_ + ": " + status.reason());
  }

  // Takes out what got in of a record whose write or sync failed with `why`, marking the
  // journal first so that the next save takes it out should this one not manage.
  Status takeBack(uint64_t offset, const Status& why) {
    size_t written = 0;
    Status marked = journal_->append(kTakeOutMark, &written);
    if (marked.ok()) marked = journal_->sync();
    Status cut = file_->truncate(offset);
    if (cut.ok()) cut = file_->sync();
    if (!cut.ok()) return Status::error(why.reason() + (marked.ok() ? kTakenOutNext : kMayRemain));
    journal_.reset();
    dropJournal();
    return why;
  }

  FileSystem& files_;
  const std::string& path_;
  const std::string journalPath_;
  StoreReports& reports_;
  std::unique_ptr<StoreFile> file_;
  std::unique_ptr<StoreFile> journal_;
};

}  // namespace

std::string pendingPath(const std::string& path) { return path + ".pending"; }

Status appendRecord(FileSystem& files, const std::string& path, std::string_view record,
                    StoreReports& reports) {
  return Append(files, path, reports).run(record);
}

Status openRecords(FileSystem& files, const std::string& path, StoreReports& reports,
                   std::unique_ptr<RandomAccessFile>* file) {
  return openSnapshot(
      files, path, [&](const Status& busy) { reports.waiting(path, busy); }, file);
}

}  // namespace survey
