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
  void add(std::string_view value, uint64_t hash) {
    bool kept = false;
    count(value, hash, &kept);
  }
  // The same, and returns the note kept with the value's spelling: a byte, noteOf(value), that
  // the caller works out once, when the spelling is first kept. 0 for a value counted as other.
  template <typename NoteOf>
  uint8_t add(std::string_view value, uint64_t hash, const NoteOf& noteOf) {
    bool kept = false;
    Slot* slot = count(value, hash, &kept);
    if (slot == nullptr) return 0;
    if (kept) slot->note = noteOf(value);
    return static_cast<uint8_t>(slot->note);
  }
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
    uint32_t offset = 0;
    uint32_t size : 24;  // no spelling kept is longer than kMaxBytes
    uint32_t note : 8;
    uint64_t count = 0;
    Slot() : size(0), note(0) {}
    Slot(uint64_t hash, uint32_t offset, uint32_t size, uint64_t count)
        : hash(hash), offset(offset), size(size), note(0), count(count) {}
  };
  static_assert(kMaxBytes < (1U << 24), "a kept spelling's size fits its slot");
  static constexpr size_t kFirstSlots = 64;
  // Counts the value; returns its slot, null when it is counted as other. `*kept`: the spelling
  // was kept now.
  Slot* count(std::string_view value, uint64_t hash, bool* kept);
  // Twice the slots, each slot moved to its place in them.
  void grow();

  std::vector<Slot> slots_;
  std::string spellings_;  // every spelling kept, end to end
  size_t kept_ = 0;
  uint64_t total_ = 0;
  uint64_t uncounted_ = 0;
};

}  // namespace survey
