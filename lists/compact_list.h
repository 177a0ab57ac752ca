// CompactList: the URL or the site list as few bytes as it can be while it
// still answers the request path's exact look-ups in constant time.
//
// The texts lie once, back to back, in an arena of fixed-size chunks (a
// growing list never copies what it holds, and never keeps a doubled buffer
// half empty); an entry is the offset of its text and its category, eight
// bytes, in the order of insertion; a text's length is the distance to the
// next entry's offset. A hash table of 32-bit slots over those entries finds
// a text and keeps every text unique. The ascending byte order of the texts
// is computed on request (SortedOrder), not kept.
//
// Threads: const calls on one object may run on several threads at once; a
// change needs the object to itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace avex {

class CompactList {
 public:
  // A list holds fewer entries than this: a slot keeps the entry's position
  // in its low bits and a few bits of the text's hash above them.
  static constexpr uint32_t kMostEntries = (1u << 26) - 1;

  CompactList() = default;
  CompactList(const CompactList& other);
  CompactList& operator=(const CompactList& other);
  CompactList(CompactList&&) noexcept = default;
  CompactList& operator=(CompactList&&) noexcept = default;
  ~CompactList() = default;

  // Adds `text` with `categoryId`; false, changing nothing, when the text is
  // there already or the list holds kMostEntries.
  bool Insert(std::string_view text, int32_t categoryId);

  // The category stored for exactly `text` (byte-wise). Never allocates.
  std::optional<int32_t> Find(std::string_view text) const;

  size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }

  // The entry at `position`, in the order of insertion.
  std::string_view TextAt(uint32_t position) const;
  int32_t CategoryAt(uint32_t position) const { return entries_[position].categoryId; }

  // The positions of all entries in ascending byte order of their texts.
  std::vector<uint32_t> SortedOrder() const;

  // Bytes held, for the benchmarks.
  size_t MemoryBytes() const;

  // The same texts with the same categories, whatever the order they came in.
  friend bool operator==(const CompactList& a, const CompactList& b);
  friend bool operator!=(const CompactList& a, const CompactList& b) { return !(a == b); }

 private:
  struct Entry {
    uint32_t offset;
    int32_t categoryId;
  };
  // 256 KiB: the tail a chunk leaves unused is small beside it, and a text
  // longer than a chunk takes consecutive chunk slots of one block.
  static constexpr uint32_t kChunkShift = 18;
  static constexpr uint32_t kChunkBytes = 1u << kChunkShift;
  static constexpr uint32_t kPositionBits = 26;
  static constexpr uint32_t kPositionMask = (1u << kPositionBits) - 1;

  static uint32_t HashOf(std::string_view text);
  const char* At(uint32_t offset) const;
  uint32_t EndOf(uint32_t position) const;
  // The slot where `text` is, or the free slot where it would go.
  uint32_t SlotOf(std::string_view text, uint32_t hash) const;
  void Rehash(uint32_t capacity);
  uint32_t Append(std::string_view text);

  // Chunk slots: a block that spans several slots has its own storage in
  // the first and null in the others, which address into it.
  std::vector<std::unique_ptr<char[]>> blocks_;
  std::vector<char*> chunks_;
  // Per chunk slot, the offset just past the last text that starts in it:
  // the end of a text whose successor starts in a later chunk.
  std::vector<uint32_t> chunkEnds_;
  uint32_t end_ = 0;   // the offset just past the last text
  uint32_t room_ = 0;  // the bytes free after end_ in the last block
  std::vector<Entry> entries_;
  // 0 is a free slot; otherwise the position + 1 and the hash's top bits.
  std::vector<uint32_t> slots_;
};

}  // namespace avex
