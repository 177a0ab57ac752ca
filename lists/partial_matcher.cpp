#include "lists/partial_matcher.h"

#include <algorithm>
#include <string>

#include "platform/code_page.h"

namespace avex {

inline uint32_t PartialMatcher::ChildOf(const State& state, unsigned char byte) const {
  const uint32_t count = state.children;
  if (count <= kInlineLabels) {
    for (uint32_t k = 0; k < count; ++k) {
      if (state.labels[k] == byte) return state.firstChild + k;
    }
    return kNone;
  }
  const unsigned char* labels = labels_.data() + state.firstChild;
  const unsigned char* found = std::lower_bound(labels, labels + count, byte);
  return found != labels + count && *found == byte
             ? state.firstChild + static_cast<uint32_t>(found - labels)
             : kNone;
}

namespace {

// The text of each entry, lower-cased, in list order.
std::vector<std::string> LoweredTexts(const PartialList& entries) {
  std::vector<std::string> patterns(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    patterns[i] = entries[i].text;
    platform::LowerInPlace(&patterns[i]);
  }
  return patterns;
}

}  // namespace

PartialMatcher::PartialMatcher(const PartialList& entries) {
  categories_.resize(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) categories_[i] = entries[i].categoryId;
  BuildTrie(LoweredTexts(entries));
  LinkFailures();
  PlaceSuffixStatesFirst();
  LayOutRows(ClassifyBytes());
  MarkAnsweringStates();
  states_.shrink_to_fit();
  labels_.shrink_to_fit();
  best_.shrink_to_fit();
}

void PartialMatcher::BuildTrie(const std::vector<std::string>& patterns) {
  const uint32_t count = static_cast<uint32_t>(patterns.size());
  // Sorted, the entries that share a prefix are neighbours, so the trie can be
  // built one depth at a time: every state's children get consecutive numbers
  // and the states come out in breadth-first order.
  std::vector<uint32_t> order(count);
  for (uint32_t i = 0; i < count; ++i) order[i] = i;
  std::sort(order.begin(), order.end(),
            [&](uint32_t a, uint32_t b) { return patterns[a] < patterns[b]; });

  struct Group {
    uint32_t state;
    uint32_t begin, end;  // the range of `order` whose patterns lead to `state`
  };
  states_.push_back(State{});
  labels_.push_back(0);
  best_.push_back(kNone);
  std::vector<Group> level{Group{0, 0, count}}, next;
  for (size_t depth = 0; !level.empty(); ++depth) {
    next.clear();
    for (const Group& group : level) {
      uint32_t i = group.begin;
      // A pattern that ends here sorts before the longer ones it starts.
      for (; i < group.end && patterns[order[i]].size() == depth; ++i) {
        best_[group.state] = std::min(best_[group.state], order[i]);
      }
      const uint32_t firstChild = static_cast<uint32_t>(states_.size());
      while (i < group.end) {
        const unsigned char byte = static_cast<unsigned char>(patterns[order[i]][depth]);
        uint32_t j = i + 1;
        while (j < group.end && static_cast<unsigned char>(patterns[order[j]][depth]) == byte) ++j;
        next.push_back(Group{static_cast<uint32_t>(states_.size()), i, j});
        states_.push_back(State{});
        labels_.push_back(byte);
        best_.push_back(kNone);
        i = j;
      }
      State& state = states_[group.state];
      state.firstChild = firstChild;
      state.children = static_cast<uint16_t>(states_.size() - firstChild);
      for (uint32_t k = 0; k < kInlineLabels && k < state.children; ++k) {
        state.labels[k] = labels_[firstChild + k];
      }
    }
    std::swap(level, next);
  }
}

void PartialMatcher::LinkFailures() {
  const uint32_t stateCount = static_cast<uint32_t>(states_.size());
  // Breadth-first order puts every fail target, which is shallower, before
  // the states whose links lead to it, so its best_ is final when used.
  for (uint32_t s = 0; s < stateCount; ++s) {
    const uint32_t first = states_[s].firstChild;
    for (uint32_t child = first; child < first + states_[s].children; ++child) {
      uint32_t target = 0;
      if (s != 0) {
        uint32_t f = states_[s].fail;
        while ((target = ChildOf(states_[f], labels_[child])) == kNone && f != 0) {
          f = states_[f].fail;
        }
        if (target == kNone) target = 0;
      }
      states_[child].fail = target;
      best_[child] = std::min(best_[child], best_[target]);
    }
  }
}

void PartialMatcher::PlaceSuffixStatesFirst() {
  const uint32_t stateCount = static_cast<uint32_t>(states_.size());
  std::vector<bool> isFailTarget(stateCount, false);
  for (uint32_t s = 1; s < stateCount; ++s) isFailTarget[states_[s].fail] = true;

  // Children stay together, so states move as the groups of a parent's
  // children; each pass keeps breadth-first order, and a fail target, being a
  // fail target, is in the first pass and shallower than what links to it.
  std::vector<uint32_t> newIndex(stateCount, 0);
  uint32_t placed = 1;
  for (const bool suffixPass : {true, false}) {
    for (uint32_t s = 0; s < stateCount; ++s) {
      const uint32_t first = states_[s].firstChild;
      const uint32_t end = first + states_[s].children;
      bool holdsFailTarget = false;
      for (uint32_t child = first; child < end; ++child) holdsFailTarget |= isFailTarget[child];
      if (holdsFailTarget != suffixPass) continue;
      for (uint32_t child = first; child < end; ++child) newIndex[child] = placed++;
    }
  }

  std::vector<State> states(stateCount);
  std::vector<unsigned char> labels(stateCount);
  std::vector<uint32_t> best(stateCount);
  for (uint32_t s = 0; s < stateCount; ++s) {
    State state = states_[s];
    if (state.children != 0) state.firstChild = newIndex[state.firstChild];
    state.fail = newIndex[state.fail];
    states[newIndex[s]] = state;
    labels[newIndex[s]] = labels_[s];
    best[newIndex[s]] = best_[s];
  }
  states_ = std::move(states);
  labels_ = std::move(labels);
  best_ = std::move(best);
}

std::vector<unsigned char> PartialMatcher::ClassifyBytes() {
  const uint32_t stateCount = static_cast<uint32_t>(states_.size());
  // Bytes that label no edge all lead the same way from every state, so a
  // row needs one column for them together.
  bool used[256] = {};
  for (uint32_t s = 1; s < stateCount; ++s) used[labels_[s]] = true;
  uint32_t classCount = 1;
  for (int byte = 0; byte < 256; ++byte) {
    if (used[byte]) classOf_[byte] = static_cast<uint16_t>(classCount++);
  }
  std::vector<unsigned char> byteOfClass(classCount, 0);
  for (int byte = 0; byte < 256; ++byte) byteOfClass[classOf_[byte]] = static_cast<unsigned char>(byte);
  rowWidth_ = classCount;
  return byteOfClass;
}

void PartialMatcher::LayOutRows(const std::vector<unsigned char>& byteOfClass) {
  const uint32_t stateCount = static_cast<uint32_t>(states_.size());
  const uint32_t classCount = rowWidth_;
  // A state's row is its children over the row of its fail target, which
  // comes earlier in breadth-first order and so already has one.
  const size_t rowBytes = sizeof(uint32_t) * rowWidth_;
  rowStates_ = static_cast<uint32_t>(
      std::min<size_t>(stateCount, std::max<size_t>(1, kRowBudgetBytes / rowBytes)));
  rows_.assign(static_cast<size_t>(rowStates_) * rowWidth_, 0);
  for (uint32_t s = 0; s < rowStates_; ++s) {
    uint32_t* row = rows_.data() + static_cast<size_t>(s) * rowWidth_;
    if (s != 0) {
      const uint32_t* failRow = rows_.data() + static_cast<size_t>(states_[s].fail) * rowWidth_;
      std::copy(failRow, failRow + classCount, row);
    }
    for (uint32_t c = 1; c < classCount; ++c) {
      const uint32_t child = ChildOf(states_[s], byteOfClass[c]);
      if (child != kNone) row[c] = child | (best_[child] != kNone ? kAnswers : 0);
    }
  }
}

void PartialMatcher::MarkAnsweringStates() {
  const uint32_t stateCount = static_cast<uint32_t>(states_.size());
  for (uint32_t s = 0; s < stateCount; ++s) {
    if (best_[s] != kNone) states_[s].fail |= kAnswers;
  }
}

std::optional<uint32_t> PartialMatcher::FirstMatch(std::string_view url) const {
  // Locals, so that the compiler need not reload the members after every store.
  const State* const states = states_.data();
  const uint32_t* const rows = rows_.data();
  const uint32_t* const bestOf = best_.data();
  const uint32_t rowStates = rowStates_;
  const uint32_t rowWidth = rowWidth_;
  uint32_t best = bestOf[0];
  uint32_t s = 0;
  for (const char c : url) {
    if (best == 0) break;  // nothing can come before the first entry
    const unsigned char byte = static_cast<unsigned char>(c);
    const uint32_t byteClass = classOf_[byte];
    // A byte on no edge leads every state back to the root, whose entry
    // `best` already holds.
    if (byteClass == 0) {
      s = 0;
      continue;
    }
    // Every state with a row, the root among them, leads each byte somewhere,
    // so the fail chain ends at the latest there.
    for (;;) {
      if (s < rowStates) {
        const uint32_t next = rows[static_cast<size_t>(s) * rowWidth + byteClass];
        s = next & ~kAnswers;
        if (next & kAnswers) best = std::min(best, bestOf[s]);
        break;
      }
      const uint32_t child = ChildOf(states[s], byte);
      if (child != kNone) {
        s = child;
        if (states[s].fail & kAnswers) best = std::min(best, bestOf[s]);
        break;
      }
      s = states[s].fail & ~kAnswers;
    }
  }
  if (best == kNone) return std::nullopt;
  return best;
}

size_t PartialMatcher::MemoryBytes() const {
  return states_.capacity() * sizeof(State) + labels_.capacity() +
         best_.capacity() * sizeof(uint32_t) + rows_.capacity() * sizeof(uint32_t) +
         categories_.capacity() * sizeof(int32_t);
}

std::optional<uint32_t> FirstPartialMatchByWalk(const PartialList& entries, std::string_view url) {
  std::string lowered;
  for (uint32_t i = 0; i < entries.size(); ++i) {
    lowered = entries[i].text;
    platform::LowerInPlace(&lowered);
    if (url.find(lowered) != std::string_view::npos) return i;
  }
  return std::nullopt;
}

}  // namespace avex
