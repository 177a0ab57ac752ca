// The POSIX backend's registry tree, with the semantics Wine's registry has:
// names compare as Wine compares them (each character lower-cased in code
// page 1252, then by Unicode code point, a shorter name before a longer one
// with the same start), a key keeps the spelling it was created with, and
// subkeys and values enumerate in that order. A tree reads and writes itself
// as a REGEDIT4 text (platform/reg_file).
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace avex::platform::registry::tree {

struct NameLess {
  bool operator()(const std::string& a, const std::string& b) const;
};

struct Value {
  uint32_t type = 0;
  std::string data;  // as in regfile::Operation
};

struct Key {
  std::map<std::string, std::unique_ptr<Key>, NameLess> subkeys;
  std::map<std::string, Value, NameLess> values;
};

using Path = std::vector<std::string>;

// The key at `path` below `root`, or null.
Key* FindKey(Key* root, const Path& path);
// The key at `path`, created with its missing parents (`*modified` set then).
Key* CreateKey(Key* root, const Path& path, bool* modified);
// Stores a value; false when its name is too long to be stored. `*modified`
// is set only when the key changed.
bool SetValue(Key* key, const std::string& name, uint32_t type, std::string data, bool* modified);

// The tree as a REGEDIT4 text, and back (a text that cannot be parsed gives
// an empty tree).
std::string Serialise(const Key& root);
void Load(const std::string& text, Key* root);

}  // namespace avex::platform::registry::tree
