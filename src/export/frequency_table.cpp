// Exact counts of the first spellings, grouped by their folded key when asked.
#include "export/frequency_table.h"

#include <algorithm>
#include <map>

#include "platform/text_forms.h"

namespace survey {
namespace {

template <typename Pair>
bool moreCommon(const Pair& a, const Pair& b) {
  return a.second != b.second ? a.second > b.second : a.first < b.first;
}

}  // namespace

void FrequencyTable::add(std::string_view value) {
  ++total_;
  // Values are looked up as std::string: C++17 maps take no string_view keys.
  const std::string key(value);
  if (auto found = counts_.find(key); found != counts_.end()) {
    ++found->second;
  } else if (counts_.size() < kMaxSpellings && bytes_ + key.size() <= kMaxBytes) {
    bytes_ += key.size();
    counts_.emplace(key, 1);
  } else {
    ++uncounted_;
  }
}

std::vector<FrequencyTable::Group> FrequencyTable::groups() const {
  std::map<std::string, Group> byKey;
  std::string key;
  for (const auto& [spelling, count] : counts_) {
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
