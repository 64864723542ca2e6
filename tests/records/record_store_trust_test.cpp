// The record store against what may lie beside the file: journals planted by another user or
// left damaged by a crash, on systems whose calls on a link's name act on the name and on
// those where they act on its target, and a save whose failure could be neither undone nor
// marked.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "console/start_clock.h"
#include "questionnaire/survey_answers.h"
#include "records/record_store.h"
#include "records/store_test_support.h"
#include "support/fakes.h"

namespace survey::testing {
namespace {

const std::string p = record('P'), a = record('A'), b = record('B');
const std::string frag = a.substr(0, 5);  // a start of 'A' that a stopped save left

struct JournalCase {
  const char* name;
  std::function<void(MemoryFileSystem&)> setUp;
  std::string file;       // the record file after the first of two saves of 'B'
  bool journalStays;      // something stays at the journal's name
  size_t notices;         // that the saves went on without their safeguard
  std::string rewritten;  // the records written again over a crash's zeros
};

// Two saves of 'B' in one run, the file 'P' but for what `c` sets up: the second save says
// nothing again, and nothing but the record file and a journal that goes is changed.
void checkTwoSaves(const JournalCase& c, bool callsFollowLinks) {
  SCOPED_TRACE(c.name);
  MemoryFileSystem files;
  files.callsFollowLinks = callsFollowLinks;
  files.files[kPath] = p;
  c.setUp(files);
  const std::map<std::string, std::string> before = files.files;
  const std::string target = files.resolve(kPath);
  Reports reports;
  StoreMemory memory = testMemory();
  for (int save = 1; save <= 2; ++save) {
    SCOPED_TRACE("save " + std::to_string(save));
    const Status saved = appendRecord(files, kPath, b, reports, memory);
    ASSERT_TRUE(saved.ok()) << saved.reason();
    EXPECT_EQ(files.files[target], save == 1 ? c.file : c.file + b);
    EXPECT_EQ(reports.rewritten, c.rewritten);
    EXPECT_EQ(files.files.count(kPending) + files.links.count(kPending), c.journalStays ? 1u : 0u);
    for (const auto& [path, bytes] : before) {
      if (path == target || (path == kPending && !c.journalStays)) continue;
      EXPECT_EQ(files.files.count(path) ? files.files[path] : "(removed)", bytes) << path;
    }
    EXPECT_TRUE(files.unsyncedEntries.empty());
  }
  EXPECT_EQ(reports.safeguardsLost.size(), c.notices);
}

TEST(RecordStoreTrust, UsesAJournalOnlyWhenThisUserWroteItForThisFileAndTheFileBearsItOut) {
  const JournalCase cases[] = {
      {"this user's journal for this file completes the record",
       [](MemoryFileSystem& f) {
         f.files[kPath] += frag;
         f.files[kPending] = journal(f, p.size(), a);
       },
       p + a + b, false, 0, ""},
      {"another user's journal is not used",
       [](MemoryFileSystem& f) {
         f.files[kPath] += frag;
         f.files[kPending] = journal(f, p.size(), a);
         f.foreign.insert(kPending);
       },
       p + frag + "\n" + b, false, 0, ""},
      {"a journal that others may write to is not used",
       [](MemoryFileSystem& f) {
         f.files[kPath] += frag;
         f.files[kPending] = journal(f, p.size(), a);
         f.writableByOthers.insert(kPending);
       },
       p + frag + "\n" + b, false, 0, ""},
      {"a journal of another file is not used",
       [](MemoryFileSystem& f) {
         f.files[kPath] += frag;
         FileFacts other = f.factsOf(kPath);
         other.file += 1;
         f.files[kPending] = journalOf(other, p.size(), a);
       },
       p + frag + "\n" + b, false, 0, ""},
      {"a journal of another device is not used",
       [](MemoryFileSystem& f) {
         f.files[kPath] += frag;
         FileFacts other = f.factsOf(kPath);
         other.device += 1;
         f.files[kPending] = journalOf(other, p.size(), a);
       },
       p + frag + "\n" + b, false, 0, ""},
      {"a journal without the file's identity is not used",
       [](MemoryFileSystem& f) {
         f.files[kPath] += frag;
         f.files[kPending] = "survey-pending " + std::to_string(p.size()) + " " +
                             std::to_string(a.size()) + "\n" + a;
       },
       p + frag + "\n" + b, false, 0, ""},
      {"a journal whose text is not one whole record puts nothing in",
       [](MemoryFileSystem& f) { f.files[kPending] = journal(f, p.size() - 1, "\necho PWNED\n"); },
       p + b, false, 0, ""},
      {"another user's one byte in a sticky directory: saved without, said once",
       [](MemoryFileSystem& f) {
         f.files[kPending] = "x";
         f.foreign.insert(kPending);
         f.sticky = true;
       },
       p + b, true, 1, ""},
      {"another user's file in a sticky directory, the record file new: its entry synced",
       [](MemoryFileSystem& f) {
         f.files.erase(kPath);
         f.files[kPending] = "x";
         f.foreign.insert(kPending);
         f.sticky = true;
       },
       b, true, 1, ""},
      {"another user's link in a sticky directory: saved without, said once",
       [](MemoryFileSystem& f) {
         f.links[kPending] = kPath;
         f.foreign.insert(kPending);
         f.sticky = true;
       },
       p + b, true, 1, ""},
      {"the file a link: a journal naming the file linked to completes it",
       [](MemoryFileSystem& f) {
         f.files.erase(kPath);
         f.links[kPath] = "elsewhere";
         f.files["elsewhere"] = p + frag;
         f.files[kPending] = journalOf(f.factsOf("elsewhere"), p.size(), a);
       },
       p + a + b, false, 0, ""},
      {"the file a link: a journal naming the link is not used",
       [](MemoryFileSystem& f) {
         f.files.erase(kPath);
         f.links[kPath] = "elsewhere";
         f.files["elsewhere"] = p + frag;
         f.files[kPending] = journalOf(f.factsOf(kPath), p.size(), a);
       },
       p + frag + "\n" + b, false, 0, ""},
      {"zeros in place of a whole record's tail: written again",
       [](MemoryFileSystem& f) {
         f.files[kPath] += a.substr(0, 10) + std::string(a.size() - 10, '\0');
         f.files[kPending] = journal(f, p.size(), a);
       },
       p + a + b, false, 0, "A"},
      {"zeros in a record cut short: written again",
       [](MemoryFileSystem& f) {
         f.files[kPath] += std::string(3, '\0') + a.substr(3, 9);
         f.files[kPending] = journal(f, p.size(), a);
       },
       p + a + b, false, 0, "A"},
      {"zeros in a record whose save failed: cut off",
       [](MemoryFileSystem& f) {
         f.files[kPath] += a.substr(0, 10) + std::string(a.size() - 10, '\0');
         f.files[kPending] = journal(f, p.size(), a, "cut\n");
       },
       p + b, false, 0, ""},
  };
  for (const JournalCase& c : cases) checkTwoSaves(c, false);
}

// Where reading or removing a link's name reads or removes its target, nothing at the
// journal's name is removed but a file that names this record file and is this user's.
TEST(RecordStoreTrust, WhereCallsFollowLinksOnlyThisUsersJournalForThisFileIsRemoved) {
  const JournalCase cases[] = {
      {"a link to another file of this user",
       [](MemoryFileSystem& f) {
         f.files["notes.txt"] = "keep me";
         f.links[kPending] = "notes.txt";
       },
       p + b, true, 1, ""},
      {"a link to the record file itself", [](MemoryFileSystem& f) { f.links[kPending] = kPath; },
       p + b, true, 1, ""},
      {"this user's file that is no journal",
       [](MemoryFileSystem& f) { f.files[kPending] = "a shopping list\n"; }, p + b, true, 1, ""},
      {"another user's journal for this file",
       [](MemoryFileSystem& f) {
         f.files[kPath] += frag;
         f.files[kPending] = journal(f, p.size(), a);
         f.foreign.insert(kPending);
       },
       p + frag + "\n" + b, true, 1, ""},
      {"this user's journal for this file, cut short in its own write",
       [](MemoryFileSystem& f) { f.files[kPending] = journal(f, p.size(), a).substr(0, 40); },
       p + b, false, 0, ""},
      {"this user's journal for this file completes its record",
       [](MemoryFileSystem& f) {
         f.files[kPath] += frag;
         f.files[kPending] = journal(f, p.size(), a);
       },
       p + a + b, false, 0, ""},
  };
  for (const JournalCase& c : cases) checkTwoSaves(c, true);
}

TEST(RecordStoreTrust, ARecordReportedNotSavedNeverTurnsUpAfterItsTakeOutFailed) {
  const std::string half = a.substr(0, a.size() / 2);
  const struct {
    const char* name;
    bool sameRun;      // the record is typed again in the same run, else in a later one
    bool removeFails;  // the journal cannot be removed either
    std::string file;  // after the record is typed again
  } cases[] = {
      {"typed again in the same run", true, false, p + a},
      {"typed again in the same run, the journal kept", true, true, p + a},
      {"typed again in a later run", false, false, p + half + "\n" + a},
      {"typed again in a later run, the journal kept", false, true, p + half + "\n" + a},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryFileSystem files;
    files.files[kPath] = p;
    // The record's write takes half and fails, then the take-out mark and the cut fail too.
    int journalWrites = 0;
    files.failWhen = [&](const std::string& step, const std::string& path) {
      if (step == "append" && path == kPending) return ++journalWrites == 2;
      return (step == "append" && path == kPath) || (step == "truncate" && path == kPath) ||
             (c.removeFails && step == "remove");
    };
    Reports reports;
    StoreMemory memory = testMemory();
    Status first = appendRecord(files, kPath, a, reports, memory);
    EXPECT_NE(first.reason().find("part of it may remain"), std::string::npos) << first.reason();
    EXPECT_EQ(files.files[kPath], p + half);
    files.failWhen = nullptr;
    StoreMemory later = testMemory();
    Status again = appendRecord(files, kPath, a, reports, c.sameRun ? memory : later);
    ASSERT_TRUE(again.ok()) << again.reason();
    EXPECT_EQ(files.files[kPath], c.file);
    EXPECT_EQ(files.files.count(kPending), 0u);
  }
}

// What a journal must hold to be used: one whole record of the layout, and nothing more.
TEST(RecordStoreTrust, AWholeRecordIsTheLayoutsLinesAndNothingMore) {
  FakeClock clock(FakeEnv::defaultTime());
  SurveyAnswers answers;
  answers.firstName = "Ada";
  answers.country = "Oz";
  const std::string whole = buildRecord(answerLookup(answers), takeStartClock(clock));
  const std::string empty = buildRecord(answerLookup({}), takeStartClock(clock));
  std::string crlf;
  for (char c : whole) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  std::string changed = whole;
  changed.replace(changed.find("Candidate Name"), 9, "Candidate-Name");
  const struct {
    const char* name;
    std::string text;
    bool whole;
  } cases[] = {
      {"a record", whole, true},
      {"a record of empty answers", empty, true},
      {"a record with CR LF line ends", crlf, true},
      {"a record without its last line end", whole.substr(0, whole.size() - 1), false},
      {"a record without its last line", whole.substr(0, whole.rfind('\n', whole.size() - 2) + 1),
       false},
      {"a record and more", whole + "echo PWNED\n", false},
      {"two records", whole + whole, false},
      {"a record whose fixed text differs", changed, false},
      {"a line of text", "\necho PWNED\n", false},
      {"nothing", "", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(isWholeRecord(c.text), c.whole) << c.name;
  }
}

}  // namespace
}  // namespace survey::testing
