// The append protocol. A save holds the file's save lock throughout, and its bytes lock only
// while it changes the file, so that readers wait for no more than that. While a record goes
// in, a journal beside the file ("datas.dat.pending") holds the offset it goes to and its
// bytes, synced with its directory before the record is written and removed once the record
// is synced. The next save settles whatever a stopped save left: it completes a record cut
// short, or takes out one whose save failed (the journal then ends with a mark). A journal is
// used only when this user wrote it for this file, and only as far as the file bears it out.
// Anything else by its name is removed unread where removing a name removes only that entry;
// where a call on a link's name may act on its target (Windows), only a file that names this
// record file in its first line and belongs to this user is removed, and anything else is
// left alone. Where no journal can be kept, saves go on under the lock alone, said once.
#include "records/record_store.h"

#include <cstdint>
#include <functional>

#include "records/store_files.h"

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

// "survey-pending DEVICE FILE OFFSET LENGTH\n" (DEVICE and FILE name the record file), then
// the LENGTH bytes of the record as the file holds them, then the take-out mark once the save
// has failed. Shorter: the append never began.
struct Journal {
  uint64_t device = 0;
  uint64_t file = 0;
  uint64_t offset = 0;
  std::string_view text;
  bool takeOut = false;
};

// Reads a decimal number that fits 64 bits, followed by `end`.
bool readNumber(std::string_view* text, char end, uint64_t* value) {
  size_t digits = 0;
  *value = 0;
  while (digits < text->size() && (*text)[digits] >= '0' && (*text)[digits] <= '9') {
    const auto digit = static_cast<uint64_t>((*text)[digits++] - '0');
    if (*value > (UINT64_MAX - digit) / 10) return false;
    *value = *value * 10 + digit;
  }
  if (digits == 0 || digits >= text->size() || (*text)[digits] != end) return false;
  text->remove_prefix(digits + 1);
  return true;
}

// Reads the first line of a journal; false when it is not one. `*length` is the record's.
bool parseHeader(std::string_view* bytes, Journal* journal, uint64_t* length) {
  if (bytes->substr(0, kJournalTag.size()) != kJournalTag) return false;
  bytes->remove_prefix(kJournalTag.size());
  return readNumber(bytes, ' ', &journal->device) && readNumber(bytes, ' ', &journal->file) &&
         readNumber(bytes, ' ', &journal->offset) && readNumber(bytes, '\n', length);
}

bool parseJournal(std::string_view bytes, Journal* journal) {
  uint64_t length = 0;
  if (!parseHeader(&bytes, journal, &length) || bytes.size() < length) return false;
  journal->text = bytes.substr(0, static_cast<size_t>(length));
  journal->takeOut = bytes.size() > length;
  return true;
}

// `text` less the line end a save puts before a record when the file did not end with one.
std::string_view withoutLineEndBefore(std::string_view text) {
  if (text.substr(0, 2) == "\r\n") return text.substr(2);
  return text.substr(0, 1) == "\n" ? text.substr(1) : text;
}

// Whether `held`, read where `text` went, is `text` with some bytes lost: zeros in their place,
// as a crash can leave them once the file's size is written but not its data.
bool zerosInPlace(std::string_view held, std::string_view text) {
  bool lost = false;
  for (size_t i = 0; i < held.size(); ++i) {
    if (held[i] == text[i]) continue;
    if (held[i] != '\0') return false;
    lost = true;
  }
  return lost;
}

// One save: the record file open and locked, and the journal of this save once written.
class Append {
 public:
  Append(FileSystem& files, const std::string& path, StoreReports& reports, StoreMemory& memory)
      : files_(files),
        path_(path),
        journalPath_(pendingPath(path)),
        reports_(reports),
        memory_(memory) {}

  Status run(std::string_view record) {
    const std::string text = files_.textFileBytes(record);
    if (text.size() > kRecordSizeLimit) return Status::error(kTooLarge);
    Status status = waitWithNotice(
        [&](std::chrono::milliseconds wait) {
          return files_.openStoreFile(path_, OpenMode::kAppend, wait, &file_, &created_);
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
    if (status.ok()) status = file_->facts(&facts_);
    if (status.ok()) status = settleUnsettled();
    if (status.ok()) status = settlePending();
    uint64_t offset = 0;
    if (status.ok()) status = file_->size(&offset);
    // A file that does not end with a line end (edited, or written by another program) gets
    // one first, so that the record starts on a line of its own.
    bool lineEnded = true;
    if (status.ok() && offset > 0) status = fileHolds(offset - 1, "\n", &lineEnded);
    const std::string bytes = lineEnded ? text : files_.textFileBytes("\n") + text;
    // The directory sync after the journal also makes a new file's entry durable.
    if (status.ok()) status = keepJournal_ ? writeJournal(offset, bytes) : syncNewFile();
    if (!status.ok()) return status;
    status = lock(FileLock::kBytes);
    if (!status.ok()) {
      dropOwnJournal();  // left behind, it finds nothing of its record: harmless
      return status;
    }
    status = file_->append(bytes, &written);
    if (status.ok()) status = file_->sync();
    if (!status.ok()) return takeBack(offset, bytes, status);
    file_->unlock(FileLock::kBytes);
    // The record is in; a journal that stays behind finds it whole next time.
    dropOwnJournal();
    return Status();
  }

 private:
  std::function<void(const Status&)> waiting() {
    return [this](const Status& busy) { reports_.waiting(path_, busy); };
  }
  std::function<void(const Status&)> journalWaiting() {
    return [this](const Status& busy) { reports_.waiting(journalPath_, busy); };
  }

  Status journalHeld(const Status& busy) const {
    return Status::error("another program holds " + journalPath_ + ": " + busy.reason());
  }

  // Takes one of the file's locks exclusively, with a notice when that takes a while.
  Status lock(FileLock which) {
    Status status = waitWithNotice(
        [&](std::chrono::milliseconds wait) {
          return file_->lock(which, LockMode::kExclusive, wait);
        },
        kLockWaitLimit, waiting());
    if (status.is(Status::Kind::kUnsupported)) {
      if (!memory_.locksMissingSaid) reports_.locksMissing(path_, status);
      memory_.locksMissingSaid = true;
      return Status();
    }
    return status.is(Status::Kind::kBusy) ? Status::error(kLockHeld) : status;
  }

  // Makes the entry of a record file that this save created durable.
  Status syncNewFile() { return created_ ? files_.syncDirectory(path_) : Status(); }

  // Removes the journal, waiting for a program that holds it open (a scanner) with a notice
  // when `announced`, else for a moment only.
  Status dropJournal(bool announced) {
    Status status =
        announced
            ? waitWithNotice(
                  [&](std::chrono::milliseconds wait) { return files_.remove(journalPath_, wait); },
                  kSharingWaitLimit, journalWaiting())
            : files_.remove(journalPath_, kWaitBeforeNotice);
    if (status.is(Status::Kind::kMissing)) return Status();  // gone already: another program
    return status.ok() ? files_.syncDirectory(journalPath_) : status;
  }

  // Removes the journal of this save, if it wrote one.
  void dropOwnJournal() {
    if (!journal_) return;
    journal_.reset();
    dropJournal(false);  // left behind, it finds its record whole or nothing of it
  }

  // Takes out what the file still holds of a record that an earlier save of this run could
  // neither take out nor mark to be.
  Status settleUnsettled() {
    StoreMemory::Unsettled& unsettled = memory_.unsettled;
    if (!unsettled.set) return Status();
    if (unsettled.device != facts_.device || unsettled.file != facts_.file) {
      unsettled = StoreMemory::Unsettled();  // another file by that name now
      return Status();
    }
    Journal journal;
    journal.offset = unsettled.offset;
    journal.text = unsettled.bytes;
    journal.takeOut = true;
    Status status = settle(journal);
    if (status.ok()) unsettled = StoreMemory::Unsettled();
    return status;
  }

  // Whether a file read with `facts` that begins with `journal`'s first line is one that this
  // user wrote for this file.
  bool writtenForThisFile(const FileFacts& facts, const Journal& journal) const {
    return facts.ownedByUser && !facts.writableByOthers && journal.device == facts_.device &&
           journal.file == facts_.file;
  }

  // Settles the journal a stopped save left, if this user wrote it for this file and it holds
  // a whole record, and removes it. Anything else by its name (a link, a directory, another
  // user's file, a file too large or of another file) is removed unread where that is safe,
  // and otherwise left alone: the save then goes on without.
  Status settlePending() {
    std::string bytes;
    FileFacts facts;
    Status read = waitWithNotice(
        [&](std::chrono::milliseconds wait) {
          return files_.readBounded(journalPath_, wait, kJournalLimit + 1, &bytes, &facts);
        },
        kSharingWaitLimit, journalWaiting());
    if (read.is(Status::Kind::kMissing)) return Status();
    if (read.is(Status::Kind::kBusy)) return journalHeld(read);
    if (!read.ok() && !read.is(Status::Kind::kNotRegular)) {
      return Status::error("cannot read " + journalPath_ + ": " + read.reason());
    }
    Journal journal;
    uint64_t length = 0;
    std::string_view rest = bytes;
    const bool mine = read.ok() && bytes.size() <= kJournalLimit &&
                      parseHeader(&rest, &journal, &length) && writtenForThisFile(facts, journal);
    if (mine && parseJournal(bytes, &journal) &&
        memory_.isRecord(withoutLineEndBefore(journal.text))) {
      Status settled = settle(journal);
      if (!settled.ok()) return settled;
    }
    if (!mine && !files_.removesNameOnly()) {
      loseSafeguard(Status::error("something else has its name and is left alone"));
      return Status();
    }
    Status dropped = dropJournal(true);
    if (dropped.ok()) return dropped;
    if (dropped.is(Status::Kind::kBusy)) return journalHeld(dropped);
    // This user's own file that cannot be removed: the file system fails.
    if (read.ok() && facts.ownedByUser) {
      return Status::error("cannot remove " + journalPath_ + ": " + dropped.reason());
    }
    loseSafeguard(
        Status::error("something else has its name and cannot be removed: " + dropped.reason()));
    return Status();
  }

  void loseSafeguard(const Status& why) {
    keepJournal_ = false;
    if (memory_.safeguardLostSaid) return;
    memory_.safeguardLostSaid = true;
    reports_.safeguardLost(journalPath_, why);
  }

  // Brings the file in line with `journal`: the record completed where the file holds a start
  // of it, or written again where a crash left zeros in place of its bytes; or, when its save
  // failed, taken out. The file holding anything else there is left as it is.
  Status settle(const Journal& journal) {
    uint64_t size = 0;
    Status status = file_->size(&size);
    if (!status.ok()) return status;
    const uint64_t end = journal.offset + journal.text.size();
    if (size <= journal.offset || size > end) return status;
    const auto got = static_cast<size_t>(size - journal.offset);
    std::string held;
    status = readFile(journal.offset, got, &held);
    if (!status.ok()) return status;
    const std::string_view start = journal.text.substr(0, got);
    const bool damaged = zerosInPlace(held, start);
    if (held != start && !damaged) return status;
    if (held == journal.text && !journal.takeOut) return status;  // whole
    status = lock(FileLock::kBytes);
    if (!status.ok()) return status;
    status = changeBytes(journal, damaged ? 0 : got);
    file_->unlock(FileLock::kBytes);
    if (status.ok() && damaged && !journal.takeOut) {
      reports_.recordRewritten(path_, withoutLineEndBefore(journal.text));
    }
    return status;
  }

  // Completes or takes out the record of `journal`, of which the file holds `got` good bytes
  // (none when its bytes were lost: what is there is cut off first).
  Status changeBytes(const Journal& journal, size_t got) {
    Status status;
    if (!journal.takeOut) {
      Status completed = got == 0 ? file_->truncate(journal.offset) : Status();
      size_t written = 0;
      if (completed.ok()) completed = file_->append(journal.text.substr(got), &written);
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

  // Reads `count` bytes from `offset`; fewer where the file ends first.
  Status readFile(uint64_t offset, size_t count, std::string* held) {
    held->assign(count, '\0');
    size_t done = 0;
    for (size_t got = 1; got > 0 && done < count; done += got) {
      Status status = file_->readAt(offset + done, held->data() + done, count - done, &got);
      if (!status.ok()) return status;
    }
    held->resize(done);
    return Status();
  }

  // Whether the file holds `bytes` at `offset`.
  Status fileHolds(uint64_t offset, std::string_view bytes, bool* matches) {
    std::string held;
    Status status = readFile(offset, bytes.size(), &held);
    *matches = status.ok() && held == bytes;
    return status;
  }

  // Writes this save's journal. Where it cannot be created (a folder where this user may
  // write the file but not make new ones, or something made meanwhile by its name), the save
  // goes on without.
  Status writeJournal(uint64_t offset, std::string_view text) {
    Status status = files_.createExclusive(journalPath_, &journal_);
    if (!status.ok()) {
      loseSafeguard(Status::error("it cannot be created: " + status.reason()));
      // Whatever entry an earlier save left unsynced is made durable before the record.
      return files_.syncDirectory(path_);
    }
    std::string content(kJournalTag);
    content += std::to_string(facts_.device) + " " + std::to_string(facts_.file) + " ";
    content += std::to_string(offset) + " " + std::to_string(text.size()) + "\n";
    content += text;
    size_t written = 0;
    status = journal_->append(content, &written);
    if (status.ok()) status = journal_->sync();
    if (status.ok()) status = files_.syncDirectory(journalPath_);
    if (status.ok()) return status;
    dropOwnJournal();  // left behind, it is cut short or finds nothing of its record: harmless
    return Status::error("cannot write " + journalPath_ + ": " + status.reason());
  }

  // Takes out what got in of `bytes`, a record whose write or sync failed with `why`, marking
  // the journal first so that the next save takes it out should this one not manage. Where
  // neither works, the journal is emptied and goes, so that no later save completes the
  // record, and the next save of this run takes out what is left of it.
  Status takeBack(uint64_t offset, std::string_view bytes, const Status& why) {
    size_t written = 0;
    Status marked = journal_ ? journal_->append(kTakeOutMark, &written) : Status::error("none");
    if (marked.ok()) marked = journal_->sync();
    Status cut = file_->truncate(offset);
    if (cut.ok()) cut = file_->sync();
    if (cut.ok()) {
      dropOwnJournal();
      return why;
    }
    if (marked.ok()) return Status::error(why.reason() + kTakenOutNext);
    // Emptied, the journal no longer holds a record to complete, should it outlast its removal.
    if (journal_) journal_->truncate(0);
    dropOwnJournal();
    memory_.unsettled = {true, facts_.device, facts_.file, offset, std::string(bytes)};
    return Status::error(why.reason() + kMayRemain);
  }

  FileSystem& files_;
  const std::string& path_;
  const std::string journalPath_;
  StoreReports& reports_;
  StoreMemory& memory_;
  std::unique_ptr<StoreFile> file_;
  std::unique_ptr<StoreFile> journal_;
  FileFacts facts_;  // of the record file
  bool created_ = false;
  bool keepJournal_ = true;
};

}  // namespace

std::string pendingPath(const std::string& path) { return path + ".pending"; }

Status appendRecord(FileSystem& files, const std::string& path, std::string_view record,
                    StoreReports& reports, StoreMemory& memory) {
  return Append(files, path, reports, memory).run(record);
}

Status openRecords(FileSystem& files, const std::string& path, StoreReports& reports,
                   std::unique_ptr<RandomAccessFile>* file) {
  return openSnapshot(
      files, path, [&](const Status& busy) { reports.waiting(path, busy); }, file);
}

}  // namespace survey
