// Matching a URL against the partial list in time that does not grow with
// the list: an Aho-Corasick automaton over the entries, lower-cased once.
//
// Its answer is always the one of FirstPartialMatchByWalk, the plain walk
// over the list: the earliest entry, in list order, whose lower-cased text
// occurs anywhere in the URL. An entry with empty text occurs in every URL;
// duplicates and entries that contain one another change nothing, because
// every state of the automaton knows the earliest entry that ends there or in
// any of its suffixes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lists/manual_entry.h"

namespace avex {

class PartialMatcher {
 public:
  // Builds the automaton for `entries` as they are now; it keeps no reference
  // to them, so it may be shared, read-only, between copies of the list.
  explicit PartialMatcher(const PartialList& entries);

  // The position in the list of the earliest entry that occurs in `url`
  // (byte-wise), or nothing. Any number of threads at once; never allocates.
  std::optional<uint32_t> FirstMatch(std::string_view url) const;

  // The category id of the entry at `index`, a position FirstMatch answered.
  int32_t CategoryAt(uint32_t index) const { return categories_[index]; }

  // Bytes held by the automaton, for the benchmarks.
  size_t MemoryBytes() const;

 private:
  static constexpr uint32_t kNone = 0xFFFFFFFFu;
  // Marks a state, in its fail link or in a row's transition to it, whose
  // best_ is an entry; most states have none, and the scan then reads no
  // more than the state itself.
  static constexpr uint32_t kAnswers = 0x80000000u;
  static constexpr uint32_t kInlineLabels = 6;
  // The memory the transition rows may take. Rows make the shallow states,
  // which most bytes of a URL lead to, one look-up each; beyond some hundred
  // kilobytes more rows only crowd the cache and the scan gets slower.
  static constexpr size_t kRowBudgetBytes = 256u << 10;

  // One state in 16 bytes, so that a step to a state costs one cache line:
  // the labels of its first children are inline.
  struct State {
    uint32_t firstChild;  // the children are the states firstChild, firstChild + 1, ...
    uint32_t fail;        // the state of the longest proper suffix in the trie; kAnswers
    uint16_t children;    // how many, in ascending order of their labels
    unsigned char labels[kInlineLabels];
  };
  static_assert(sizeof(State) == 16, "a state fills a quarter of a cache line");

  uint32_t ChildOf(const State& state, unsigned char byte) const;
  // The trie of the lower-cased `patterns`, in breadth-first order, each
  // state knowing the earliest entry that ends exactly there.
  void BuildTrie(const std::vector<std::string>& patterns);
  // Gives every state its fail link and widens its best_ by that of the
  // state it fails to.
  void LinkFailures();
  // Renumbers the states so that those some other state fails to, which any
  // text may lead to, lie together ahead of the rest: in a long list most
  // states are the tails of single entries, reached seldom, and among them
  // the busy states would each take a cache line of their own.
  void PlaceSuffixStatesFirst();
  // Gives each byte on some edge a class of its own, the others class 0, and
  // answers the byte that stands for each class.
  std::vector<unsigned char> ClassifyBytes();
  // Fills the transition rows of as many states, from the root on, as the
  // budget allows.
  void LayOutRows(const std::vector<unsigned char>& byteOfClass);
  // Sets kAnswers in the fail link of every state whose best_ is an entry;
  // the last step, as the ones before follow the fail links unmarked.
  void MarkAnsweringStates();

  std::vector<State> states_;          // see PlaceSuffixStatesFirst; 0 is the root
  std::vector<unsigned char> labels_;  // the byte on the edge into each state
  // The earliest entry that ends at each state or anywhere on its fail chain.
  std::vector<uint32_t> best_;
  // The states 0 to rowStates_ - 1 have a full row of transitions, one per
  // byte class, with the fail links already followed; the others look up
  // their children and fall back along their fail links to a state with a row.
  uint32_t rowStates_ = 0;
  uint32_t rowWidth_ = 0;           // a row has a column per byte class
  uint16_t classOf_[256] = {};      // the bytes on no edge share class 0
  std::vector<uint32_t> rows_;
  std::vector<int32_t> categories_;
};

// The partial list matched the plain way, one lower-cased copy of each entry
// per URL: the reference the automaton is checked and measured against.
std::optional<uint32_t> FirstPartialMatchByWalk(const PartialList& entries, std::string_view url);

}  // namespace avex
