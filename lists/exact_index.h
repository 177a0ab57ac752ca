// A read-only hash table from text to category id, built once from a URL or
// site list, that answers the request path's exact look-ups in constant time
// without allocating.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lists/manual_entry.h"

namespace avex {

class ExactIndex {
 public:
  // Copies every key of `list`, so the index stays valid whatever later
  // happens to `list` and may be shared between copies of it.
  explicit ExactIndex(const ManualEntryMap& list);

  // The category id stored for exactly `key` (byte-wise, case-sensitive).
  // Any number of threads at once.
  std::optional<int32_t> Find(std::string_view key) const;

 private:
  struct Slot {
    uint32_t offset;
    uint32_t length;  // kEmptySlot when the slot is free
    uint32_t hash;
    int32_t categoryId;
  };
  static constexpr uint32_t kEmptySlot = 0xFFFFFFFFu;

  static uint32_t HashOf(std::string_view key);

  std::string keys_;  // every key, one after the other
  std::vector<Slot> slots_;
  uint32_t mask_ = 0;
};

}  // namespace avex
