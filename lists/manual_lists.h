// The administrator's three manual lists and the look-up that the request
// path asks before the engine.
//
// ManualLists is a value: the settings record holds one, the configuration
// dialog edits a copy, and every scanning object of the console keeps its own.
// Copies share each list until one of them changes it (the change copies that
// list first), so a configuration snapshot that changes only the users or a
// switch costs no copy of long lists.
// The request path does not search the lists themselves but an index built
// from them on the first look-up after a change (the byte order of the URL and
// the site list, an automaton for the partial list; the URL and the site list
// are CompactLists with a hash table of their own). The index is immutable
// and shared by copies until one of them changes, so copying the lists never
// rebuilds it.
//
// Threads: look-ups on one object may run on several threads at once (the
// index is published atomically); a change needs the object to itself, as
// for any standard container. The callers serialise the live lists with the
// shared-data lock.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "lists/compact_list.h"
#include "lists/manual_entry.h"
#include "lists/sorted_list_view.h"

namespace avex {

class ManualLists {
 public:
  ManualLists() = default;
  ManualLists(const ManualLists& other);
  ManualLists& operator=(const ManualLists& other);
  ManualLists(ManualLists&& other) noexcept;
  ManualLists& operator=(ManualLists&& other) noexcept;
  ~ManualLists();

  // Whole request URLs, keyed by their normalised text.
  SortedListView urls() const;
  // Hosts (with a port when one is given), keyed by their normalised text.
  SortedListView sites() const;
  // Substrings, in the order they were added.
  const PartialList& partials() const { return Shared(partials_); }

  // Normalise the entry's text (NormaliseUrl) and add it under that text.
  // A text already present keeps its first entry: the call then changes
  // nothing and answers false.
  bool InsertUrl(ManualEntry entry);
  bool InsertSite(ManualEntry entry);

  // Adds the entry at the end, its text as given (matching lower-cases it);
  // duplicates are kept, and the earlier one wins.
  void AppendPartial(ManualEntry entry);

  void ClearUrls();
  void ClearSites();
  void ClearPartials();

  // Builds the index now rather than in the first look-up after a change,
  // which for long lists takes a while: call it before the lists go live,
  // outside the lock that the look-ups hold.
  void PrepareIndex() const;

  friend bool operator==(const ManualLists& a, const ManualLists& b);
  friend bool operator!=(const ManualLists& a, const ManualLists& b) { return !(a == b); }

 private:
  struct Index;
  friend std::optional<int32_t> LookupManualClassification(const ManualLists& lists,
                                                           std::string_view normalisedUrl);

  // The index of the lists as they are now, built if a change dropped it.
  std::shared_ptr<const Index> CurrentIndex() const;
  void DropIndex();

  // A list that no copy shares any more is changed in place; null is empty.
  template <typename List>
  static const List& Shared(const std::shared_ptr<List>& list);
  template <typename List>
  static List& Writable(std::shared_ptr<List>* list);
  bool InsertNormalised(std::shared_ptr<CompactList>* list, const ManualEntry& entry);

  std::shared_ptr<CompactList> urls_;
  std::shared_ptr<CompactList> sites_;
  std::shared_ptr<PartialList> partials_;
  // Null after a change; read and published with the atomic shared_ptr
  // functions so that concurrent look-ups may race to build it.
  mutable std::shared_ptr<const Index> index_;
};

// The manual classification of a request: the category id of the first of
// these that matches, or nothing.
//   1. the URL list, by exact comparison with the whole URL;
//   2. the site list, by exact comparison with HostOf the URL;
//   3. the partial list: the earliest entry whose lower-cased text occurs in
//      the URL.
// `normalisedUrl` is the request URL after NormaliseUrl. Allocates nothing
// once the index is built (the first look-up after a change builds it).
std::optional<int32_t> LookupManualClassification(const ManualLists& lists,
                                                  std::string_view normalisedUrl);

// The same answer found by searching the lists themselves: a binary search of
// the URL and the site list in their byte order, and a walk over the partial list that lower-cases every entry. The reference
// that tests and benchmarks hold the indexed look-up against.
std::optional<int32_t> LookupManualClassificationByWalk(const ManualLists& lists,
                                                        std::string_view normalisedUrl);

}  // namespace avex
