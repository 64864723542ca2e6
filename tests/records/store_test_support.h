// What the record store's tests share: named records, the reports kept, and journals as a
// save writes them.
#pragma once

#include <string>
#include <vector>

#include "records/record_store.h"
#include "support/fakes.h"

namespace survey::testing {

inline const std::string kPath = "datas.dat";
inline const std::string kPending = "datas.dat.pending";

// A record of three lines, each naming it, so that a start of one is told from another.
inline std::string record(char name) {
  std::string text;
  for (const char* line : {" first line\n", " second line\n", " last line\n"}) {
    text += std::string(1, name) + line;
  }
  return text;
}

// A store memory that takes the records above for whole records.
inline StoreMemory testMemory() {
  StoreMemory memory;
  memory.isRecord = [](std::string_view text) {
    return !text.empty() && text == record(text.front());
  };
  return memory;
}

struct Reports : StoreReports {
  void waiting(const std::string&, const Status& busy) override { waits.push_back(busy.reason()); }
  void recordTakenOut(const std::string&, const Status&, std::string_view text) override {
    takenOut.push_back(text.front());
  }
  void recordRewritten(const std::string&, std::string_view text) override {
    rewritten.push_back(text.front());
  }
  void safeguardLost(const std::string&, const Status& why) override {
    safeguardsLost.push_back(why.reason());
  }
  void locksMissing(const std::string&, const Status& why) override {
    locksMissingSaid.push_back(why.reason());
  }
  std::vector<std::string> waits;
  std::string takenOut;   // the names of the records taken out
  std::string rewritten;  // and of those written again
  std::vector<std::string> safeguardsLost;
  std::vector<std::string> locksMissingSaid;
};

// A journal of `text` at `offset` of the file that `facts` names, as a save writes it; `mark`
// follows once the save failed.
inline std::string journalOf(const FileFacts& facts, uint64_t offset, const std::string& text,
                             const std::string& mark = "") {
  return "survey-pending " + std::to_string(facts.device) + " " + std::to_string(facts.file) + " " +
         std::to_string(offset) + " " + std::to_string(text.size()) + "\n" + text + mark;
}

// The same for the file that `files` holds at kPath.
inline std::string journal(MemoryFileSystem& files, uint64_t offset, const std::string& text,
                           const std::string& mark = "") {
  return journalOf(files.factsOf(kPath), offset, text, mark);
}

}  // namespace survey::testing
