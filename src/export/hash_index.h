// A map from 64-bit hashes to small values, for the check's memory of every record before:
// open addressing in one flat array, no allocation per entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/memory_pages.h"

namespace survey {

// Linear probing, at most three quarters full, doubled when it would be fuller. The key 0
// marks an empty slot, so a value under the key 0 is kept apart.
template <typename Value>
class HashIndex {
 public:
  // The value under `key`, and whether it was just added as `value` (false: it was there).
  std::pair<Value*, bool> tryEmplace(uint64_t key, const Value& value) {
    if (key == 0) {
      if (hasZero_) return {&zero_, false};
      hasZero_ = true;
      zero_ = value;
      return {&zero_, true};
    }
    if (4 * (used_ + 1) > 3 * slots_.size()) grow();
    Slot* slot = find(key);
    if (slot->key == key) return {&slot->value, false};
    *slot = Slot{key, value};
    ++used_;
    return {&slot->value, true};
  }
  size_t size() const { return used_ + (hasZero_ ? 1 : 0); }
  // Starts loading the slot where `key` would be, so that a later tryEmplace finds it in cache.
  void prefetch(uint64_t key) const {
    if (!slots_.empty()) __builtin_prefetch(&slots_[home(key)]);
  }

 private:
  struct Slot {
    uint64_t key = 0;
    Value value{};
  };
  static constexpr size_t kFirstSlots = 1024;

  // The first slot to look at for `key`. The keys are hashes already; the high bits mixed in
  // spread keys that differ only there.
  size_t home(uint64_t key) const { return (key ^ (key >> 32)) & (slots_.size() - 1); }

  // The slot that holds `key`, or the empty one where it goes.
  Slot* find(uint64_t key) {
    const size_t mask = slots_.size() - 1;
    for (size_t at = home(key);; at = (at + 1) & mask) {
      Slot& slot = slots_[at];
      if (slot.key == key || slot.key == 0) return &slot;
    }
  }

  void grow() {
    const size_t size = slots_.empty() ? kFirstSlots : 2 * slots_.size();
    // Large pages asked for before the slots are first written, which is when the system
    // chooses the pages.
    std::vector<Slot> fresh;
    fresh.reserve(size);
    preferLargePages(fresh.data(), size * sizeof(Slot));
    fresh.resize(size);
    const std::vector<Slot> old = std::exchange(slots_, std::move(fresh));
    for (const Slot& slot : old) {
      if (slot.key != 0) *find(slot.key) = slot;
    }
  }

  std::vector<Slot> slots_;
  size_t used_ = 0;
  Value zero_{};
  bool hasZero_ = false;
};

}  // namespace survey
