// The record store with a failure and a kill at every step of a save, from every state a
// stopped or failed save can leave, with a listing at every step in between; then what may
// lie beside the file, and other programs holding it.
#include "records/record_store.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <vector>

#include "records/store_test_support.h"
#include "support/fakes.h"

namespace survey::testing {
namespace {

using Fault = MemoryFileSystem::Fault;
std::map<Fault, std::string> kFaultNames = {
    {Fault::kFail, "failure"},
    {Fault::kKill, "kill"},
    {Fault::kFailThenKill, "failure, kill at the next step"}};

// The file as records: `whole` names the whole ones in order, `fragment` the one whose start
// ends the file ('\0' for none). Anything else fails the test.
struct Parsed {
  std::string whole;
  char fragment = '\0';
};

Parsed parse(const std::string& file) {
  Parsed parsed;
  for (size_t at = 0; at < file.size();) {
    const std::string expected = record(file[at]);
    const std::string rest = file.substr(at, expected.size());
    if (rest == expected) {
      parsed.whole += file[at];
      at += expected.size();
    } else {
      EXPECT_EQ(rest, expected.substr(0, rest.size())) << "not a record at " << at;
      EXPECT_EQ(at + rest.size(), file.size()) << "a record cut short inside the file";
      parsed.fragment = file[at];
      break;
    }
  }
  return parsed;
}

enum class Outcome { kSaved, kFailed, kKilled };

// Appends `record(name)` with the fault at step `faultAt`; a listing runs before every step
// and must find the lock held or only whole records of this save, and change nothing.
Outcome save(MemoryFileSystem& files, char name, Fault fault, int faultAt, Reports& reports,
             StoreMemory memory = testMemory()) {
  files.steps = 0;
  files.fault = fault;
  files.faultAt = faultAt;
  files.beforeStep = [&files, name](const char* step, const std::string& path) {
    // The record goes in only once the journal and every entry made so far are durable.
    if (std::string(step) == "append" && path == kPath) {
      EXPECT_TRUE(files.unsyncedEntries.empty()) << "an entry not synced before the record";
      EXPECT_EQ(files.unsyncedFiles.count(kPending), 0u) << "the journal not synced";
    }
    const MemoryFileSystem before = files;
    files.beforeStep = nullptr;
    files.fault = Fault::kNone;
    Reports readerReports;
    std::unique_ptr<RandomAccessFile> file;
    Status opened = openRecords(files, kPath, readerReports, &file);
    std::string content(1 << 16, '\0');
    size_t count = 0;
    if (opened.ok()) {
      EXPECT_TRUE(file->readAt(0, content.data(), content.size(), &count).ok());
      EXPECT_NE(parse(content.substr(0, count)).fragment, name) << "the listing before " << step;
    } else if (!opened.is(Status::Kind::kMissing)) {
      EXPECT_TRUE(opened.is(Status::Kind::kBusy)) << opened.reason();
    }
    file.reset();
    EXPECT_EQ(files.files, before.files) << "the listing wrote, before " << step;
    EXPECT_EQ(files.unsyncedEntries, before.unsyncedEntries);
    files.steps = before.steps;
    files.fault = before.fault;
    files.beforeStep = before.beforeStep;
  };
  Outcome outcome = Outcome::kKilled;
  try {
    outcome = appendRecord(files, kPath, record(name), reports, memory).ok() ? Outcome::kSaved
                                                                             : Outcome::kFailed;
  } catch (const MemoryFileSystem::Killed&) {
  }
  files.beforeStep = nullptr;
  files.fault = Fault::kNone;
  return outcome;
}

// The steps of a save from `state` with no fault.
int stepsOfSave(MemoryFileSystem state) {
  Reports reports;
  EXPECT_EQ(save(state, 'Z', Fault::kNone, 0, reports), Outcome::kSaved);
  return state.steps;
}

// What a save did to the records: the whole ones before it stay, but for the last when a
// killed save (one of `killed`) left it; its own is in whole when it reports success and not
// at all when it reports failure.
void checkSave(const Parsed& before, const MemoryFileSystem& after, char name, Outcome outcome,
               const std::string& killed) {
  Parsed now = parse(after.files.count(kPath) ? after.files.at(kPath) : "");
  std::string kept = before.whole;
  if (!kept.empty() && killed.find(kept.back()) != std::string::npos) kept.pop_back();
  EXPECT_EQ(now.whole.substr(0, kept.size()), kept) << "records before changed";
  const std::string added = now.whole.substr(std::min(kept.size(), now.whole.size()));
  if (outcome == Outcome::kSaved) {
    EXPECT_EQ(added.empty() ? '\0' : added.back(), name);
    EXPECT_EQ(now.fragment, '\0');
    EXPECT_EQ(after.unsyncedFiles.count(kPath), 0u) << "saved but not synced";
  }
  if (outcome == Outcome::kFailed) {
    EXPECT_EQ(added.find(name), std::string::npos) << "a record reported as not saved is in";
    EXPECT_NE(now.fragment, name);
  }
}

struct Start {
  const char* name;
  std::map<std::string, std::string> files;
};

TEST(RecordStore, EveryStepOfTwoSavesFailedOrKilledLeavesWholeRecordsEachOnce) {
  const Start starts[] = {{"no file", {}}, {"two records", {{kPath, record('P') + record('Q')}}}};
  const Fault faults[] = {Fault::kFail, Fault::kKill, Fault::kFailThenKill};
  int runs = 0;
  for (const Start& start : starts) {
    MemoryFileSystem initial;
    initial.files = start.files;
    const int stepsOfFirst = stepsOfSave(initial);
    // The first save of 'A' gets a fault at each of its steps (or none), the second of 'B'
    // at each of its steps from there, then a save of 'C' runs clean.
    for (int firstAt = 0; firstAt <= stepsOfFirst; ++firstAt) {
      for (Fault firstFault : faults) {
        MemoryFileSystem afterFirst = initial;
        Reports firstReports;
        const Outcome first = save(afterFirst, 'A', firstFault, firstAt, firstReports);
        const std::string leftByFirst = afterFirst.files[kPath];
        const int stepsOfSecond = stepsOfSave(afterFirst);
        for (int secondAt = 1; secondAt <= stepsOfSecond; ++secondAt) {
          for (Fault secondFault : faults) {
            SCOPED_TRACE(std::string(start.name) + "; first save: " + kFaultNames[firstFault] +
                         " at step " + std::to_string(firstAt) + "; second: " +
                         kFaultNames[secondFault] + " at step " + std::to_string(secondAt));
            ++runs;
            MemoryFileSystem files = afterFirst;
            Reports reports;
            const Parsed beforeSecond = parse(files.files[kPath]);
            const Outcome second = save(files, 'B', secondFault, secondAt, reports);
            checkSave(beforeSecond, files, 'B', second, first == Outcome::kKilled ? "A" : "");
            const Parsed afterSecond = parse(files.files[kPath]);
            const bool secondGotIn =
                afterSecond.fragment == 'B' || afterSecond.whole.find('B') != std::string::npos;
            const Outcome third = save(files, 'C', Fault::kNone, 0, reports);
            ASSERT_EQ(third, Outcome::kSaved);
            checkSave(afterSecond, files, 'C', third, "AB");

            // Only whole records, each once, in order; those reported saved are in, those
            // reported not saved are not; a killed save's record is in when any of it got in,
            // unless its completion failed and it was reported taken out.
            Parsed end = parse(files.files[kPath]);
            EXPECT_EQ(end.fragment, '\0');
            const std::string before = start.files.empty() ? "" : "PQ";
            // A save killed after a failure marked its record to be taken out.
            auto kept = [&](Outcome outcome, Fault fault, bool gotIn, char name) {
              return outcome == Outcome::kSaved ||
                     (outcome == Outcome::kKilled && fault == Fault::kKill && gotIn &&
                      reports.takenOut.find(name) == std::string::npos);
            };
            std::string expected = before;
            if (kept(first, firstFault, leftByFirst.size() > before.size() * record('P').size(),
                     'A')) {
              expected += 'A';
            }
            if (kept(second, secondFault, secondGotIn, 'B')) expected += 'B';
            expected += 'C';
            EXPECT_EQ(end.whole, expected);
            EXPECT_EQ(files.files.count(kPending), 0u) << "the journal stays behind";
            EXPECT_TRUE(files.unsyncedEntries.empty());
            EXPECT_EQ(files.files.size(), 1u) << "something else beside the file";
          }
        }
      }
    }
  }
  EXPECT_GT(runs, 1000);
}

TEST(RecordStore, TrustsNothingBesideTheFileAndNamesWhatHoldsItUp) {
  const std::string p = record('P'), a = record('A'), b = record('B');
  const struct {
    const char* name;
    std::function<void(MemoryFileSystem&)> setUp;
    std::string file;  // after the save of 'B'
    size_t waits;
    const char* reason;  // of the failure, when it fails
  } cases[] = {
      {"a journal linked elsewhere is removed, not followed",
       [&](MemoryFileSystem& f) {
         f.links[kPending] = "elsewhere";
         f.files["elsewhere"] = journal(f, p.size(), a);
       },
       p + b, 0, ""},
      {"a directory by the journal's name: saved without a journal",
       [&](MemoryFileSystem& f) { f.directories.insert(kPending); }, p + b, 0, ""},
      {"a journal larger than a record is removed unread",
       [&](MemoryFileSystem& f) {
         f.files[kPath] += a.substr(0, 5);
         f.files[kPending] = journal(f, p.size(), a + std::string(2 * kRecordSizeLimit, 'x'));
       },
       p + a.substr(0, 5) + "\n" + b, 0, ""},
      {"a journal that does not match the file is removed; the record starts a line",
       [&](MemoryFileSystem& f) {
         f.files[kPath] += "edited";
         f.files[kPending] = journal(f, p.size(), a);
       },
       p + "edited\n" + b, 0, ""},
      {"a journal whose record was cut off since is not brought back",
       [&](MemoryFileSystem& f) { f.files[kPending] = journal(f, p.size(), a); }, p + b, 0, ""},
      {"a record whose save failed is taken out, even whole",
       [&](MemoryFileSystem& f) {
         f.files[kPath] += a;
         f.files[kPending] = journal(f, p.size(), a, "c");
       },
       p + b, 0, ""},
      {"a lock held once is waited for, with a notice",
       [&](MemoryFileSystem& f) {
         f.fault = Fault::kFail;
         f.faultAt = 2;
       },
       p + b, 1, ""},
      {"a lock held for a minute fails the save",
       [&](MemoryFileSystem& f) { f.lockedElsewhere.insert(kPath); }, p, 1,
       "another program has held its lock for a minute"},
      {"a file held open by another program fails the save after a wait",
       [&](MemoryFileSystem& f) { f.heldOpenElsewhere.insert(kPath); }, p, 1,
       "another program holds the file: Sharing violation."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryFileSystem files;
    files.files[kPath] = p;
    c.setUp(files);
    const auto others = [](MemoryFileSystem f) {
      f.files.erase(kPath);
      f.files.erase(kPending);
      return f.files;
    };
    const auto othersBefore = others(files);
    Reports reports;
    StoreMemory memory = testMemory();
    Status saved = appendRecord(files, kPath, b, reports, memory);
    EXPECT_EQ(saved.ok() ? "" : saved.reason(), c.reason);
    ASSERT_LT(files.files[kPath].size(), 1000u) << "the file grew far beyond its records";
    EXPECT_EQ(files.files[kPath], c.file);
    EXPECT_EQ(files.files.count(kPending) + files.links.count(kPending), 0u);
    EXPECT_EQ(reports.safeguardsLost.size(), files.directories.count(kPending));
    EXPECT_EQ(others(files), othersBefore) << "a file beside it changed";
    EXPECT_EQ(reports.waits.size(), c.waits);
    // A listing meanwhile reads the same without writing, or names what holds it up.
    const auto before = files.files;
    std::unique_ptr<RandomAccessFile> file;
    Status opened = openRecords(files, kPath, reports, &file);
    EXPECT_EQ(opened.ok(), files.lockedElsewhere.empty() && files.heldOpenElsewhere.empty());
    EXPECT_EQ(files.files, before);
  }
}

}  // namespace
}  // namespace survey::testing
