// Completing an append that a kill cut short, from the journal the append leaves beside the
// file until its text is in.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>

#include "platform/env.h"
#include "process/child_process.h"

namespace survey::testing {
namespace {

void writeFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string journal(size_t offset, const std::string& text) {
  return std::to_string(offset) + " " + std::to_string(text.size()) + "\n" + text;
}

TEST(AppendJournal, ACutShortAppendIsCompletedBeforeTheNextOrTheListing) {
  const std::string first = " first record\nline two\n";
  const std::string cut = " cut record\nwhose end a kill took\n";
  const std::string next = " next record\n";
  const struct {
    const char* name;
    std::string file;     // as the killed writer left it
    std::string pending;  // its journal; "" for none
    std::string completed;
  } cases[] = {
      {"cut at a page boundary", first + cut.substr(0, 9), journal(first.size(), cut), first + cut},
      {"killed before the write", first, journal(first.size(), cut), first + cut},
      {"killed after the write", first + cut, journal(first.size(), cut), first + cut},
      {"journal itself cut short", first, journal(first.size(), cut).substr(0, 20), first},
      {"file changed since", first + "other", journal(first.size(), cut), first + "other"},
      {"no journal", first + cut.substr(0, 9), "", first + cut.substr(0, 9)},
  };
  std::unique_ptr<Env> env = makeSystemEnv();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (bool byListing : {false, true}) {
      TempDir dir;
      const std::string path = dir.file("datas.dat");
      writeFile(path, c.file);
      if (!c.pending.empty()) writeFile(path + ".pending", c.pending);
      std::string expected = c.completed;
      if (byListing) {
        std::unique_ptr<SequentialFile> file;
        ASSERT_TRUE(env->files().openForReading(path, &file).ok());
      } else {
        ASSERT_TRUE(env->files().appendDurably(path, next).ok());
        expected += next;
      }
      EXPECT_EQ(dir.read("datas.dat"), expected) << (byListing ? "listing" : "append");
      EXPECT_FALSE(std::ifstream(path + ".pending").good()) << "the journal stays behind";
    }
  }
}

}  // namespace
}  // namespace survey::testing
