#include "config/stored_tree.h"

#include <algorithm>
#include <utility>

#include "platform/code_page.h"
#include "platform/reg_file.h"

namespace avex {

namespace {

using platform::registry::RegistryKey;
using platform::registry::StoredValue;

// The code page's lower case of every byte, taken once from the platform's
// own folding: comparing 200,000 names folds millions of characters.
const unsigned char* FoldTable() {
  static const struct Table {
    unsigned char lower[256];
    Table() {
      std::string bytes(256, '\0');
      for (int byte = 0; byte < 256; ++byte) bytes[byte] = static_cast<char>(byte);
      platform::LowerInPlace(&bytes);
      for (int byte = 0; byte < 256; ++byte) lower[byte] = static_cast<unsigned char>(bytes[byte]);
    }
  } table;
  return table.lower;
}

// <0, 0 or >0 as `a` folds before, equal to or after `b`. Neighbours in a
// list share long starts, which compare byte for byte without folding.
int CompareFolded(const std::string& a, const std::string& b) {
  const unsigned char* lower = FoldTable();
  const size_t n = std::min(a.size(), b.size());
  size_t same = 0;
  while (same < n && a[same] == b[same]) ++same;
  for (size_t i = same; i < n; ++i) {
    const unsigned char x = lower[static_cast<unsigned char>(a[i])];
    const unsigned char y = lower[static_cast<unsigned char>(b[i])];
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool FoldedLess(const StoredValue& a, const StoredValue& b) { return CompareFolded(a.name, b.name) < 0; }

bool SameValue(const StoredValue& a, const StoredValue& b) {
  return a.name == b.name && a.type == b.type && a.data == b.data;
}

std::string Child(const std::string& path, const std::string& name) {
  return path.empty() ? name : path + "\\" + name;
}

// True when `path` lies below (or is) one of `keys`, all folded.
bool Below(const std::string& path, const std::vector<std::string>& keys) {
  for (const std::string& key : keys) {
    if (path.compare(0, key.size(), key) == 0 && (path.size() == key.size() || path[key.size()] == '\\')) {
      return true;
    }
  }
  return false;
}

TreeChange Change(TreeChange::Kind kind, const std::string& key, StoredValue value) {
  TreeChange change;
  change.kind = kind;
  change.key = key;
  change.value = std::move(value);
  return change;
}

// The changes within one key that both images hold under one spelling.
void ValueChanges(const StoredTree::Key& stored, const StoredTree::Key& wanted, std::vector<TreeChange>* changes) {
  std::vector<TreeChange> writes;
  auto have = stored.values.begin();
  auto want = wanted.values.begin();
  while (have != stored.values.end() || want != wanted.values.end()) {
    const int order = have == stored.values.end()   ? 1
                      : want == wanted.values.end() ? -1
                                                    : CompareFolded(have->name, want->name);
    if (order < 0) {
      changes->push_back(Change(TreeChange::Kind::DeleteValue, wanted.path, StoredValue{have->name, 0, {}}));
      ++have;
    } else if (order > 0) {
      writes.push_back(Change(TreeChange::Kind::WriteValue, wanted.path, *want));
      ++want;
    } else {
      if (have->name != want->name) {
        changes->push_back(Change(TreeChange::Kind::DeleteValue, wanted.path, StoredValue{have->name, 0, {}}));
        writes.push_back(Change(TreeChange::Kind::WriteValue, wanted.path, *want));
      } else if (have->type != want->type || have->data != want->data) {
        writes.push_back(Change(TreeChange::Kind::WriteValue, wanted.path, *want));
      }
      ++have;
      ++want;
    }
  }
  changes->insert(changes->end(), std::make_move_iterator(writes.begin()), std::make_move_iterator(writes.end()));
}

}  // namespace

std::string FoldedName(const std::string& name) {
  const unsigned char* lower = FoldTable();
  std::string folded = name;
  for (char& c : folded) c = static_cast<char>(lower[static_cast<unsigned char>(c)]);
  return folded;
}

StoredTree StoredTree::Read(const std::string& root) {
  StoredTreeBuilder builder;
  std::vector<std::string> pending{""};
  while (!pending.empty()) {
    const std::string path = std::move(pending.back());
    pending.pop_back();
    const RegistryKey key = RegistryKey::ForReading(Child(root, path));
    if (!key.IsOpen()) continue;
    builder.CreateKey(path);
    for (StoredValue& value : key.Values()) {
      // The Win32 registry hands a string back with the zero it was written with.
      if (value.type == platform::regfile::kTypeString && !value.data.empty() && value.data.back() == '\0') {
        value.data.pop_back();
      }
      builder.Write(path, std::move(value));
    }
    for (const std::string& name : key.SubkeyNames()) pending.push_back(Child(path, name));
  }
  return std::move(builder).Build();
}

void StoredTree::EraseValue(const std::string& key, const std::string& name) {
  auto found = keys_.find(FoldedName(key));
  if (found == keys_.end()) return;
  std::vector<StoredValue>& values = found->second.values;
  const StoredValue probe{name, 0, {}};
  auto at = std::lower_bound(values.begin(), values.end(), probe, FoldedLess);
  if (at != values.end() && CompareFolded(at->name, name) == 0) values.erase(at);
}

std::vector<TreeChange> StoredTree::ChangesTo(const StoredTree& wanted) const {
  std::vector<TreeChange> changes;
  std::vector<std::string> deleted;  // folded paths of the keys deleted whole
  for (const auto& [folded, key] : keys_) {
    if (Below(folded, deleted)) continue;
    const auto counterpart = wanted.keys_.find(folded);
    if (counterpart == wanted.keys_.end() || counterpart->second.path != key.path) {
      changes.push_back(Change(TreeChange::Kind::DeleteKey, key.path, StoredValue{}));
      deleted.push_back(folded);
    }
  }
  const Key none;
  for (const auto& [folded, key] : wanted.keys_) {
    const auto counterpart = keys_.find(folded);
    const bool kept = counterpart != keys_.end() && counterpart->second.path == key.path && !Below(folded, deleted);
    ValueChanges(kept ? counterpart->second : none, key, &changes);
  }
  return changes;
}

bool StoredTree::operator==(const StoredTree& other) const {
  if (keys_.size() != other.keys_.size()) return false;
  for (auto a = keys_.begin(), b = other.keys_.begin(); a != keys_.end(); ++a, ++b) {
    if (a->first != b->first || a->second.path != b->second.path ||
        !std::equal(a->second.values.begin(), a->second.values.end(), b->second.values.begin(),
                    b->second.values.end(), SameValue)) {
      return false;
    }
  }
  return true;
}

void StoredTreeBuilder::WriteDword(const std::string& key, const std::string& name, uint32_t data) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((data >> (8 * i)) & 0xFF);
  Write(key, StoredValue{name, platform::regfile::kTypeDword, std::move(bytes)});
}

void StoredTreeBuilder::WriteString(const std::string& key, const std::string& name, const std::string& text) {
  Write(key, StoredValue{name, platform::regfile::kTypeString, text.substr(0, text.find('\0'))});
}

void StoredTreeBuilder::Write(const std::string& key, StoredValue value) {
  KeyAt(key).values.push_back(std::move(value));
}

void StoredTreeBuilder::CreateKey(const std::string& key) { KeyAt(key); }

void StoredTreeBuilder::Reserve(const std::string& key, size_t values) {
  std::vector<StoredValue>& stored = KeyAt(key).values;
  stored.reserve(stored.size() + values);
}

StoredTree::Key& StoredTreeBuilder::KeyAt(const std::string& key) {
  if (last_ != nullptr && key == lastPath_) return *last_;
  StoredTree::Key* found = nullptr;
  // The key and every key above it, the root first.
  for (size_t end = 0;; ++end) {
    end = key.find('\\', end);
    const std::string path = key.substr(0, end);
    if (!path.empty() || end == std::string::npos) {
      StoredTree::Key& entry = keys_[FoldedName(path)];
      if (entry.path.empty()) entry.path = path;
      found = &entry;
    }
    if (end == std::string::npos) break;
  }
  if (!key.empty()) keys_[std::string()];  // the root holds every key
  lastPath_ = key;
  last_ = found;
  return *found;
}

StoredTree StoredTreeBuilder::Build() && {
  StoredTree tree;
  for (auto& [folded, key] : keys_) {
    std::vector<StoredValue>& values = key.values;
    // Lists are mostly written in the folded order already, each name once.
    bool ordered = true, unique = true;
    for (size_t i = 1; i < values.size() && ordered; ++i) {
      const int order = CompareFolded(values[i - 1].name, values[i].name);
      ordered = order <= 0;
      unique = unique && order != 0;
    }
    if (!ordered) std::stable_sort(values.begin(), values.end(), FoldedLess);
    if (ordered && unique) {
      tree.keys_.emplace(folded, std::move(key));
      continue;
    }
    // Of one folded name the first spelling stays and the last data wins.
    size_t kept = 0;
    for (size_t i = 0; i < values.size(); ++i) {
      if (kept != 0 && CompareFolded(values[kept - 1].name, values[i].name) == 0) {
        values[kept - 1].type = values[i].type;
        values[kept - 1].data = std::move(values[i].data);
      } else {
        if (kept != i) values[kept] = std::move(values[i]);
        ++kept;
      }
    }
    values.resize(kept);
    tree.keys_.emplace(folded, std::move(key));
  }
  keys_.clear();
  last_ = nullptr;
  return tree;
}

}  // namespace avex
