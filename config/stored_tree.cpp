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
int CompareFolded(std::string_view a, std::string_view b) {
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

}  // namespace

StoredValue StoredTree::Key::Value(size_t index) const {
  const Entry& entry = entries_[index];
  return StoredValue{std::string(NameOf(entry)), entry.type, std::string(DataOf(entry))};
}

void StoredTree::Key::Append(std::string_view name, uint32_t type, std::string_view data) {
  Entry entry;
  entry.name = static_cast<uint32_t>(text_.size());
  entry.nameSize = static_cast<uint32_t>(name.size());
  entry.data = entry.name + entry.nameSize;
  entry.dataSize = static_cast<uint32_t>(data.size());
  entry.type = type;
  text_.append(name);
  text_.append(data);
  entries_.push_back(entry);
}

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
      builder.Write(path, value);
    }
    for (const std::string& name : key.SubkeyNames()) pending.push_back(Child(path, name));
  }
  return std::move(builder).Build();
}

void StoredTree::EraseValue(const std::string& key, const std::string& name) {
  auto found = keys_.find(FoldedName(key));
  if (found == keys_.end()) return;
  Key& stored = found->second;
  auto at = std::lower_bound(stored.entries_.begin(), stored.entries_.end(), name,
                             [&](const Key::Entry& entry, const std::string& probe) {
                               return CompareFolded(stored.NameOf(entry), probe) < 0;
                             });
  if (at != stored.entries_.end() && CompareFolded(stored.NameOf(*at), name) == 0) stored.entries_.erase(at);
}

// The changes within one key that both images hold under one spelling
// (`stored` is null when the stored image has no such key).
void StoredTree::ValueChanges(const Key* stored, const Key& wanted, std::vector<TreeChange>* changes) {
  std::vector<TreeChange> writes;
  const size_t haveCount = stored ? stored->entries_.size() : 0;
  const size_t wantCount = wanted.entries_.size();
  size_t have = 0, want = 0;
  const auto remove = [&] {
    changes->push_back(Change(TreeChange::Kind::DeleteValue, wanted.path_,
                              StoredValue{std::string(stored->NameOf(stored->entries_[have])), 0, std::string()}));
  };
  const auto write = [&] { writes.push_back(Change(TreeChange::Kind::WriteValue, wanted.path_, wanted.Value(want))); };
  while (have < haveCount || want < wantCount) {
    const Key::Entry* old = have < haveCount ? &stored->entries_[have] : nullptr;
    const Key::Entry* now = want < wantCount ? &wanted.entries_[want] : nullptr;
    const int order = old == nullptr ? 1 : now == nullptr ? -1 : CompareFolded(stored->NameOf(*old), wanted.NameOf(*now));
    if (order < 0) {
      remove();
      ++have;
    } else if (order > 0) {
      write();
      ++want;
    } else {
      if (stored->NameOf(*old) != wanted.NameOf(*now)) {
        remove();
        write();
      } else if (old->type != now->type || stored->DataOf(*old) != wanted.DataOf(*now)) {
        write();
      }
      ++have;
      ++want;
    }
  }
  changes->insert(changes->end(), std::make_move_iterator(writes.begin()), std::make_move_iterator(writes.end()));
}

std::vector<TreeChange> StoredTree::ChangesTo(const StoredTree& wanted) const {
  std::vector<TreeChange> changes;
  std::vector<std::string> deleted;  // folded paths of the keys deleted whole
  for (const auto& [folded, key] : keys_) {
    if (Below(folded, deleted)) continue;
    const auto counterpart = wanted.keys_.find(folded);
    if (counterpart == wanted.keys_.end() || counterpart->second.path_ != key.path_) {
      changes.push_back(Change(TreeChange::Kind::DeleteKey, key.path_, StoredValue{}));
      deleted.push_back(folded);
    }
  }
  for (const auto& [folded, key] : wanted.keys_) {
    const auto counterpart = keys_.find(folded);
    const bool kept = counterpart != keys_.end() && counterpart->second.path_ == key.path_ && !Below(folded, deleted);
    ValueChanges(kept ? &counterpart->second : nullptr, key, &changes);
  }
  return changes;
}

bool StoredTree::operator==(const StoredTree& other) const {
  if (keys_.size() != other.keys_.size()) return false;
  for (auto a = keys_.begin(), b = other.keys_.begin(); a != keys_.end(); ++a, ++b) {
    const Key& x = a->second;
    const Key& y = b->second;
    if (a->first != b->first || x.path_ != y.path_ || x.entries_.size() != y.entries_.size()) return false;
    for (size_t i = 0; i < x.entries_.size(); ++i) {
      const Key::Entry& p = x.entries_[i];
      const Key::Entry& q = y.entries_[i];
      if (x.NameOf(p) != y.NameOf(q) || p.type != q.type || x.DataOf(p) != y.DataOf(q)) return false;
    }
  }
  return true;
}

void StoredTreeBuilder::WriteDword(const std::string& key, std::string_view name, uint32_t data) {
  char bytes[4];
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((data >> (8 * i)) & 0xFF);
  KeyAt(key).Append(name, platform::regfile::kTypeDword, std::string_view(bytes, 4));
}

void StoredTreeBuilder::WriteString(const std::string& key, std::string_view name, std::string_view text) {
  KeyAt(key).Append(name, platform::regfile::kTypeString, text.substr(0, text.find('\0')));
}

void StoredTreeBuilder::Write(const std::string& key, const StoredValue& value) {
  KeyAt(key).Append(value.name, value.type, value.data);
}

void StoredTreeBuilder::CreateKey(const std::string& key) { KeyAt(key); }

void StoredTreeBuilder::Reserve(const std::string& key, size_t values) {
  std::vector<StoredTree::Key::Entry>& entries = KeyAt(key).entries_;
  entries.reserve(entries.size() + values);
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
      if (entry.path_.empty()) entry.path_ = path;
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
    std::vector<StoredTree::Key::Entry>& entries = key.entries_;
    const auto compare = [&key = key](const StoredTree::Key::Entry& a, const StoredTree::Key::Entry& b) {
      return CompareFolded(key.NameOf(a), key.NameOf(b));
    };
    // Lists are mostly written in the folded order already, each name once.
    bool ordered = true, unique = true;
    for (size_t i = 1; i < entries.size() && ordered; ++i) {
      const int order = compare(entries[i - 1], entries[i]);
      ordered = order <= 0;
      unique = unique && order != 0;
    }
    if (!ordered) {
      std::stable_sort(entries.begin(), entries.end(),
                       [&](const auto& a, const auto& b) { return compare(a, b) < 0; });
    }
    if (!ordered || !unique) {
      // Of one folded name the first spelling stays and the last data wins.
      size_t kept = 0;
      for (size_t i = 0; i < entries.size(); ++i) {
        if (kept != 0 && compare(entries[kept - 1], entries[i]) == 0) {
          entries[kept - 1].data = entries[i].data;
          entries[kept - 1].dataSize = entries[i].dataSize;
          entries[kept - 1].type = entries[i].type;
        } else {
          entries[kept++] = entries[i];
        }
      }
      entries.resize(kept);
    }
    tree.keys_.emplace(folded, std::move(key));
  }
  keys_.clear();
  last_ = nullptr;
  return tree;
}

}  // namespace avex
