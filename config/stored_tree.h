// StoredTree: an image of a registry tree (its keys, each with its values:
// name, type and data) and the changes that turn one image into another.
//
// Names compare as the registry compares them: without regard to case,
// folded in the ANSI code page as the registry backends fold them, and each
// keeps the spelling it was first written with. A string's data is its text
// without the terminating zero (one backend keeps the zero, the other does
// not), so an image built in memory and one read back compare equal. The
// settings store builds the image a full save would leave, compares it with
// the stored one and writes only the difference. Plain values: an instance
// belongs to one thread at a time.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace avex {

// One step of a difference, below a tree's root. Each is idempotent: doing
// it twice leaves what doing it once does.
struct TreeChange {
  enum class Kind : uint8_t { DeleteKey = 1, DeleteValue = 2, WriteValue = 3 };
  Kind kind = Kind::WriteValue;
  std::string key;                        // below the root, with backslashes; "" is the root
  platform::registry::StoredValue value;  // DeleteValue: its name; WriteValue: name, type, data
};

// The registry's folded form of a name; names equal in it are one name.
std::string FoldedName(const std::string& name);

class StoredTree {
 public:
  // One key: its path below the root as first spelled ("" is the root) and
  // its values, by folded name, one per folded name. The names and data of a
  // key share one buffer: an image of 200,000 list values is a few
  // allocations, not 200,000, which matters where the heap is slow (Wine).
  class Key {
   public:
    const std::string& Path() const { return path_; }
    size_t ValueCount() const { return entries_.size(); }
    platform::registry::StoredValue Value(size_t index) const;

   private:
    friend class StoredTree;
    friend class StoredTreeBuilder;
    struct Entry {
      uint32_t name, nameSize, data, dataSize, type;
    };
    std::string_view NameOf(const Entry& entry) const { return {text_.data() + entry.name, entry.nameSize}; }
    std::string_view DataOf(const Entry& entry) const { return {text_.data() + entry.data, entry.dataSize}; }
    void Append(std::string_view name, uint32_t type, std::string_view data);

    std::string path_;
    std::string text_;
    std::vector<Entry> entries_;
  };

  // Reads the whole tree below the registry key `root` (a path below
  // HKEY_LOCAL_MACHINE), one pass per key. Empty when `root` is missing; a
  // key that goes away meanwhile is left out.
  static StoredTree Read(const std::string& root);

  // Removes the value `name` of the key `key` when the image holds it.
  void EraseValue(const std::string& key, const std::string& name);

  // The changes that make a tree holding this image hold `wanted` instead:
  // keys `wanted` lacks, or spells otherwise, deleted whole (the topmost
  // only); in every key of `wanted`, values it lacks deleted, new and changed
  // ones written, a value whose name is spelled otherwise deleted and written
  // anew. Every key deletion comes first; within a key, deletions come
  // before writes. Empty when the images are equal.
  std::vector<TreeChange> ChangesTo(const StoredTree& wanted) const;

  // Equal keys and values, spelling, types and data alike.
  bool operator==(const StoredTree& other) const;
  bool operator!=(const StoredTree& other) const { return !(*this == other); }

  // Every key, by folded path.
  const std::map<std::string, Key>& Keys() const { return keys_; }

 private:
  friend class StoredTreeBuilder;
  static void ValueChanges(const Key* stored, const Key& wanted, std::vector<TreeChange>* changes);

  std::map<std::string, Key> keys_;  // by folded path
};

// Builds a StoredTree as a sequence of writes onto a fresh tree would leave
// it: a write creates its key and the missing keys above it; of two writes
// of one folded name the first spelling stays and the last type and data
// win. One thread.
class StoredTreeBuilder {
 public:
  void WriteDword(const std::string& key, std::string_view name, uint32_t data);
  // Stores the text up to its first zero, as the registry's string write does.
  void WriteString(const std::string& key, std::string_view name, std::string_view text);
  void Write(const std::string& key, const platform::registry::StoredValue& value);
  // Creates `key` (and the keys above it) without a value.
  void CreateKey(const std::string& key);
  // Makes room for `values` more writes into `key`, which it creates.
  void Reserve(const std::string& key, size_t values);

  StoredTree Build() &&;

 private:
  StoredTree::Key& KeyAt(const std::string& key);

  std::map<std::string, StoredTree::Key> keys_;  // by folded path, values in write order
  // The key of the last write: list values come in long runs into one key.
  std::string lastPath_;
  StoredTree::Key* last_ = nullptr;
};

}  // namespace avex
