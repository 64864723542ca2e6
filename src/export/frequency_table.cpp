// Exact counts of the first spellings, grouped by their folded key when asked.
#include "export/frequency_table.h"

#include <algorithm>
#include <cstring>
#include <map>

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
  if (size > 16) return std::memcmp(a, b, size) == 0;
  if (size >= 8) {
    uint64_t a1 = 0, a2 = 0, b1 = 0, b2 = 0;
    std::memcpy(&a1, a, 8);
    std::memcpy(&b1, b, 8);
    std::memcpy(&a2, a + size - 8, 8);
    std::memcpy(&b2, b + size - 8, 8);
    return ((a1 ^ b1) | (a2 ^ b2)) == 0;
  }
  for (size_t at = 0; at < size; ++at) {
    if (a[at] != b[at]) return false;
  }
  return true;
}

}  // namespace

void FrequencyTable::add(std::string_view value) {
  ++total_;
  if (slots_.empty()) slots_.resize(2 * kMaxSpellings);
  const uint64_t hash = XXH3_64bits(value.data(), value.size());
  const size_t mask = slots_.size() - 1;
  for (size_t at = hash & mask;; at = (at + 1) & mask) {
    Slot& slot = slots_[at];
    if (slot.count == 0) {
      if (kept_ == kMaxSpellings || spellings_.size() + value.size() > kMaxBytes) break;
      slot = Slot{hash, static_cast<uint32_t>(spellings_.size()),
                  static_cast<uint32_t>(value.size()), 1};
      spellings_.append(value);
      ++kept_;
      return;
    }
    if (slot.hash == hash && slot.size == value.size() &&
        sameBytes(spellings_.data() + slot.offset, value.data(), value.size())) {
      ++slot.count;
      return;
    }
  }
  ++uncounted_;
}

std::vector<FrequencyTable::Group> FrequencyTable::groups() const {
  std::map<std::string, Group> byKey;
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
