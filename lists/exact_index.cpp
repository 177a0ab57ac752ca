#include "lists/exact_index.h"

#include <functional>

namespace avex {

uint32_t ExactIndex::HashOf(std::string_view key) {
  const uint64_t h = std::hash<std::string_view>{}(key);
  return static_cast<uint32_t>(h ^ (h >> 32));
}

ExactIndex::ExactIndex(const ManualEntryMap& list) {
  size_t totalLength = 0;
  for (const auto& item : list) totalLength += item.first.size();
  keys_.reserve(totalLength);

  // At most half the slots are taken, so a probe ends after a slot or two.
  size_t capacity = 2;
  while (capacity < 2 * list.size()) capacity *= 2;
  slots_.assign(capacity, Slot{0, kEmptySlot, 0, 0});
  mask_ = static_cast<uint32_t>(capacity - 1);

  for (const auto& item : list) {
    const std::string& key = item.first;
    const uint32_t hash = HashOf(key);
    uint32_t i = hash & mask_;
    while (slots_[i].length != kEmptySlot) i = (i + 1) & mask_;
    slots_[i] = Slot{static_cast<uint32_t>(keys_.size()), static_cast<uint32_t>(key.size()),
                     hash, item.second.categoryId};
    keys_.append(key);
  }
}

std::optional<int32_t> ExactIndex::Find(std::string_view key) const {
  const uint32_t hash = HashOf(key);
  for (uint32_t i = hash & mask_;; i = (i + 1) & mask_) {
    const Slot& slot = slots_[i];
    if (slot.length == kEmptySlot) return std::nullopt;
    if (slot.hash == hash && slot.length == key.size() &&
        std::string_view(keys_.data() + slot.offset, slot.length) == key) {
      return slot.categoryId;
    }
  }
}

}  // namespace avex
