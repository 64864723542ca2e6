// How often each answer of one column comes, in bounded memory, with spellings that differ only
// in case, accents or Unicode form grouped.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace survey {

class FrequencyTable {
 public:
  // The first this many different spellings, or this many bytes of them, are counted exactly;
  // spellings first seen after that are counted together as others.
  static constexpr size_t kMaxSpellings = 4096;
  static constexpr size_t kMaxBytes = 256 * 1024;

  void add(std::string_view value) { add(value, hashOf(value)); }
  // The same with the value's hash, from hashOf, given; prefetch(hash) before it lets the table
  // load the slot while the caller does other work.
  void add(std::string_view value, uint64_t hash);
  static uint64_t hashOf(std::string_view value);
  void prefetch(uint64_t hash) const {
    if (!slots_.empty()) __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]);
  }

  // Spellings alike but for case, accents and Unicode form, under the most common of them.
  struct Group {
    std::string spelling;
    uint64_t count = 0;
    std::vector<std::pair<std::string, uint64_t>> variants;  // every spelling, most common first
  };
  // The groups, most common first (ties in byte order of the spelling).
  std::vector<Group> groups() const;
  uint64_t total() const { return total_; }
  // Values of spellings first seen once the table was full.
  uint64_t uncounted() const { return uncounted_; }

 private:
  // Open addressing, at most half full: a slot's hash, where its spelling lies in `spellings_`,
  // and its count (0: the slot is empty). No allocation per value, one probe most of the time.
  struct Slot {
    uint64_t hash = 0;
    uint32_t offset = 0, size = 0;
    uint64_t count = 0;
  };
  static constexpr size_t kFirstSlots = 64;
  // Twice the slots, each slot moved to its place in them.
  void grow();

  std::vector<Slot> slots_;
  std::string spellings_;  // every spelling kept, end to end
  size_t kept_ = 0;
  uint64_t total_ = 0;
  uint64_t uncounted_ = 0;
};

}  // namespace survey
