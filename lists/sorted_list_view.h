// SortedListView: the URL or the site list of ManualLists as its readers see
// it: one entry per text, in ascending byte order of the texts (a text sorts
// before the longer texts it starts), and the look-up of one text.
//
// A view holds the order it iterates in and refers to the list: it stays
// valid while the ManualLists it came from is neither changed nor destroyed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "lists/compact_list.h"
#include "lists/manual_entry.h"

namespace avex {

class SortedListView {
 public:
  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = ManualEntryRef;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = ManualEntryRef;

    Iterator(const CompactList* list, const uint32_t* at) : list_(list), at_(at) {}
    ManualEntryRef operator*() const { return {list_->TextAt(*at_), list_->CategoryAt(*at_)}; }
    Iterator& operator++() {
      ++at_;
      return *this;
    }
    friend bool operator==(const Iterator& a, const Iterator& b) { return a.at_ == b.at_; }
    friend bool operator!=(const Iterator& a, const Iterator& b) { return a.at_ != b.at_; }

   private:
    const CompactList* list_;
    const uint32_t* at_;
  };

  SortedListView(const CompactList& list, std::shared_ptr<const std::vector<uint32_t>> order)
      : list_(&list), order_(std::move(order)) {}

  Iterator begin() const { return Iterator(list_, order_->data()); }
  Iterator end() const { return Iterator(list_, order_->data() + order_->size()); }
  size_t size() const { return list_->size(); }
  // The entry at `index` of the byte order.
  ManualEntryRef operator[](size_t index) const {
    const uint32_t position = (*order_)[index];
    return {list_->TextAt(position), list_->CategoryAt(position)};
  }
  bool empty() const { return list_->empty(); }

  // The category stored for exactly `text`, or nothing.
  std::optional<int32_t> Find(std::string_view text) const { return list_->Find(text); }
  size_t count(std::string_view text) const { return Find(text) ? 1 : 0; }
  // The entry of `text`; throws std::out_of_range when there is none.
  ManualEntry at(std::string_view text) const {
    const std::optional<int32_t> categoryId = Find(text);
    if (!categoryId) throw std::out_of_range("no entry with this text");
    return ManualEntry{std::string(text), *categoryId};
  }

 private:
  const CompactList* list_;
  std::shared_ptr<const std::vector<uint32_t>> order_;
};

}  // namespace avex
