#include "lists/compact_list.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace avex {

CompactList::CompactList(const CompactList& other)
    : chunkEnds_(other.chunkEnds_), end_(other.end_), room_(other.room_), entries_(other.entries_),
      slots_(other.slots_) {
  blocks_.resize(other.blocks_.size());
  chunks_.resize(other.chunks_.size());
  for (size_t first = 0; first < other.blocks_.size();) {
    size_t span = 1;
    while (first + span < other.blocks_.size() && !other.blocks_[first + span]) ++span;
    blocks_[first].reset(new char[span * kChunkBytes]);
    std::memcpy(blocks_[first].get(), other.blocks_[first].get(), span * kChunkBytes);
    for (size_t k = 0; k < span; ++k) chunks_[first + k] = blocks_[first].get() + k * kChunkBytes;
    first += span;
  }
}

CompactList& CompactList::operator=(const CompactList& other) {
  if (this != &other) *this = CompactList(other);
  return *this;
}

uint32_t CompactList::HashOf(std::string_view text) {
  const uint64_t h = std::hash<std::string_view>{}(text);
  return static_cast<uint32_t>(h ^ (h >> 32));
}

const char* CompactList::At(uint32_t offset) const {
  return chunks_[offset >> kChunkShift] + (offset & (kChunkBytes - 1));
}

uint32_t CompactList::EndOf(uint32_t position) const {
  const uint32_t offset = entries_[position].offset;
  const uint32_t next = position + 1 < entries_.size() ? entries_[position + 1].offset : end_;
  return (next >> kChunkShift) == (offset >> kChunkShift) ? next : chunkEnds_[offset >> kChunkShift];
}

std::string_view CompactList::TextAt(uint32_t position) const {
  const uint32_t offset = entries_[position].offset;
  const uint32_t length = EndOf(position) - offset;
  return length == 0 ? std::string_view() : std::string_view(At(offset), length);
}

uint32_t CompactList::SlotOf(std::string_view text, uint32_t hash) const {
  const uint32_t capacity = static_cast<uint32_t>(slots_.size());
  const uint32_t tag = (hash & 63u) << kPositionBits;
  uint32_t i = static_cast<uint32_t>((static_cast<uint64_t>(hash) * capacity) >> 32);
  for (;;) {
    const uint32_t slot = slots_[i];
    if (slot == 0) return i;
    if ((slot & ~kPositionMask) == tag && TextAt((slot & kPositionMask) - 1) == text) return i;
    if (++i == capacity) i = 0;
  }
}

void CompactList::Rehash(uint32_t capacity) {
  std::vector<uint32_t> old;
  old.swap(slots_);
  slots_.assign(capacity, 0);
  for (const uint32_t slot : old) {
    if (slot != 0) slots_[SlotOf(TextAt((slot & kPositionMask) - 1), HashOf(TextAt((slot & kPositionMask) - 1)))] = slot;
  }
}

uint32_t CompactList::Append(std::string_view text) {
  const uint32_t length = static_cast<uint32_t>(text.size());
  if (chunks_.empty() || length > room_) {
    const size_t span = std::max<size_t>(1, (text.size() + kChunkBytes - 1) / kChunkBytes);
    const size_t first = chunks_.size();
    blocks_.emplace_back(new char[span * kChunkBytes]);
    char* const block = blocks_.back().get();
    blocks_.resize(first + span);
    for (size_t k = 0; k < span; ++k) chunks_.push_back(block + k * kChunkBytes);
    chunkEnds_.resize(first + span, 0);
    end_ = static_cast<uint32_t>(first << kChunkShift);
    room_ = static_cast<uint32_t>(span * kChunkBytes);
  }
  const uint32_t offset = end_;
  if (length != 0) std::memcpy(chunks_[offset >> kChunkShift] + (offset & (kChunkBytes - 1)), text.data(), length);
  end_ += length;
  room_ -= length;
  chunkEnds_[offset >> kChunkShift] = end_;
  return offset;
}

bool CompactList::Insert(std::string_view text, int32_t categoryId) {
  // Offsets are 32-bit: an arena near 4 GiB, or a text as long, takes no more.
  const size_t arenaLimit = (size_t{1} << 32) - 2 * size_t{kChunkBytes};
  if (entries_.size() >= kMostEntries || text.size() >= arenaLimit ||
      (static_cast<size_t>(chunks_.size()) << kChunkShift) + text.size() >= arenaLimit) {
    return false;
  }
  if ((entries_.size() + 1) * 4 > slots_.size() * 3) {
    Rehash(static_cast<uint32_t>(std::max<size_t>(16, slots_.size() + slots_.size() / 2)));
  }
  const uint32_t hash = HashOf(text);
  const uint32_t slot = SlotOf(text, hash);
  if (slots_[slot] != 0) return false;
  const uint32_t position = static_cast<uint32_t>(entries_.size());
  entries_.push_back(Entry{Append(text), categoryId});
  slots_[slot] = ((hash & 63u) << kPositionBits) | (position + 1);
  return true;
}

std::optional<int32_t> CompactList::Find(std::string_view text) const {
  if (slots_.empty()) return std::nullopt;
  const uint32_t slot = slots_[SlotOf(text, HashOf(text))];
  if (slot == 0) return std::nullopt;
  return entries_[(slot & kPositionMask) - 1].categoryId;
}

std::vector<uint32_t> CompactList::SortedOrder() const {
  std::vector<uint32_t> order(entries_.size());
  for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [this](uint32_t a, uint32_t b) { return TextAt(a) < TextAt(b); });
  return order;
}

bool operator==(const CompactList& a, const CompactList& b) {
  if (a.size() != b.size()) return false;
  for (uint32_t i = 0; i < a.size(); ++i) {
    if (b.Find(a.TextAt(i)) != a.CategoryAt(i)) return false;
  }
  return true;
}

size_t CompactList::MemoryBytes() const {
  return chunks_.size() * (size_t{kChunkBytes} + sizeof(char*) + sizeof(uint32_t)) +
         blocks_.capacity() * sizeof(blocks_[0]) + entries_.capacity() * sizeof(Entry) +
         slots_.capacity() * sizeof(uint32_t);
}

}  // namespace avex
