// Exact counts of the first spellings, grouped by their folded key when asked.
#include "export/frequency_table.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#define XXH_INLINE_ALL
#include <xxhash.h>

#include "platform/text_forms.h"

namespace survey {
namespace {

template <typename Pair>
bool moreCommon(const Pair& a, const Pair& b) {
  return a.second != b.second ? a.second > b.second : a.first < b.first;
}

// Equal bytes; short values, the most of them, compared inline rather than by a call.
bool sameBytes(const char* a, const char* b, size_t size) {
  if (size > 32) return std::memcmp(a, b, size) == 0;
  if (size >= 8) {
    // Words from the front and from the back, overlapping in the middle.
    uint64_t differ = 0;
    const size_t words = size >= 16 ? 2 : 1;  // from each end
    for (size_t word = 0; word < words; ++word) {
      uint64_t a1 = 0, a2 = 0, b1 = 0, b2 = 0;
      std::memcpy(&a1, a + 8 * word, 8);
      std::memcpy(&b1, b + 8 * word, 8);
      std::memcpy(&a2, a + size - 8 * (word + 1), 8);
      std::memcpy(&b2, b + size - 8 * (word + 1), 8);
      differ |= (a1 ^ b1) | (a2 ^ b2);
    }
    return differ == 0;
  }
  if (size >= 4) {
    uint32_t a1 = 0, a2 = 0, b1 = 0, b2 = 0;
    std::memcpy(&a1, a, 4);
    std::memcpy(&b1, b, 4);
    std::memcpy(&a2, a + size - 4, 4);
    std::memcpy(&b2, b + size - 4, 4);
    return ((a1 ^ b1) | (a2 ^ b2)) == 0;
  }
  unsigned differ = 0;
  for (size_t at = 0; at < size; ++at) differ |= static_cast<unsigned char>(a[at] ^ b[at]);
  return differ == 0;
}

}  // namespace

uint64_t FrequencyTable::hashOf(std::string_view value) {
  return XXH3_64bits(value.data(), value.size());
}

FrequencyTable::Slot* FrequencyTable::count(std::string_view value, uint64_t hash, bool* kept) {
  ++total_;
  // Kept at most half full, up to twice the spellings kept: a column of few values keeps a
  // small table, which stays in the cache.
  if (2 * (kept_ + 1) > slots_.size() && slots_.size() < 2 * kMaxSpellings) grow();
  const size_t mask = slots_.size() - 1;
  for (size_t at = hash & mask;; at = (at + 1) & mask) {
    Slot& slot = slots_[at];
    if (slot.count == 0) {
      if (kept_ == kMaxSpellings || spellings_.size() + value.size() > kMaxBytes) break;
      slot = Slot{hash, static_cast<uint32_t>(spellings_.size()),
                  static_cast<uint32_t>(value.size()), 1};
      spellings_.append(value);
      ++kept_;
      *kept = true;
      return &slot;
    }
    if (slot.hash == hash && slot.size == value.size() &&
        sameBytes(spellings_.data() + slot.offset, value.data(), value.size())) {
      ++slot.count;
      return &slot;
    }
  }
  ++uncounted_;
  return nullptr;
}

void FrequencyTable::grow() {
  std::vector<Slot> old(slots_.empty() ? kFirstSlots : 2 * slots_.size());
  old.swap(slots_);
  const size_t mask = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (slot.count == 0) continue;
    size_t at = slot.hash & mask;
    while (slots_[at].count != 0) at = (at + 1) & mask;
    slots_[at] = slot;
  }
}

std::vector<FrequencyTable::Group> FrequencyTable::groups() const {
  // By folded key, in no order: the sorts below order the groups and their variants fully.
  std::unordered_map<std::string, Group> byKey;
  byKey.reserve(kept_);
  std::string key;
  for (const Slot& slot : slots_) {
    if (slot.count == 0) continue;
    const std::string spelling = spellings_.substr(slot.offset, slot.size);
    const uint64_t count = slot.count;
    if (!foldedKey(spelling, &key)) key = spelling;  // not UTF-8: a group of its own
    Group& group = byKey[key];
    group.count += count;
    group.variants.emplace_back(spelling, count);
  }
  std::vector<Group> groups;
  groups.reserve(byKey.size());
  for (auto& [unused, group] : byKey) {
    std::sort(group.variants.begin(), group.variants.end(),
              moreCommon<std::pair<std::string, uint64_t>>);
    group.spelling = group.variants.front().first;
    groups.push_back(std::move(group));
  }
  std::sort(groups.begin(), groups.end(), [](const Group& a, const Group& b) {
    return a.count != b.count ? a.count > b.count : a.spelling < b.spelling;
  });
  return groups;
}

}  // namespace survey
