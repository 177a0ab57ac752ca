#include "platform/posix/registry_tree.h"

#include "platform/posix/cp1252.h"
#include "platform/reg_file.h"
#include "platform/registry.h"
#include "platform/registry_path.h"

namespace avex::platform::registry::tree {
namespace {

Key* FindKey(Key* root, const Path& path, size_t depth) {
  Key* key = root;
  for (size_t i = 0; i < depth && key; ++i) {
    auto it = key->subkeys.find(path[i]);
    key = it == key->subkeys.end() ? nullptr : it->second.get();
  }
  return key;
}

bool DeleteKey(Key* root, const Path& path, bool* modified) {
  if (path.empty()) return false;  // HKEY_LOCAL_MACHINE itself
  Key* parent = FindKey(root, path, path.size() - 1);
  if (!parent) return true;
  if (parent->subkeys.erase(path.back())) *modified = true;
  return true;
}

bool Apply(Key* root, const regfile::Operation& op, bool* modified) {
  Path path;
  if (!SplitKeyPath(op.key, &path)) return false;
  switch (op.kind) {
    case regfile::Operation::Kind::CreateKey:
      CreateKey(root, path, modified);
      return true;
    case regfile::Operation::Kind::DeleteKey:
      return DeleteKey(root, path, modified);
    case regfile::Operation::Kind::SetValue:
      return SetValue(CreateKey(root, path, modified), op.name, op.type, op.data, modified);
    case regfile::Operation::Kind::DeleteValue:
      if (Key* key = FindKey(root, path)) {
        if (key->values.erase(op.name)) *modified = true;
      }
      return true;
  }
  return false;
}

void WriteKey(const Key& key, const std::string& path, bool always, regfile::Writer* writer) {
  if (always || !key.values.empty()) {
    writer->Key(path);
    for (const auto& [name, value] : key.values) writer->Value(name, value.type, value.data);
  }
  for (const auto& [name, child] : key.subkeys) {
    WriteKey(*child, path.empty() ? name : path + "\\" + name, true, writer);
  }
}

}  // namespace

bool NameLess::operator()(const std::string& a, const std::string& b) const {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    uint16_t x = cp1252::ToUnicode(cp1252::Lower(static_cast<unsigned char>(a[i])));
    uint16_t y = cp1252::ToUnicode(cp1252::Lower(static_cast<unsigned char>(b[i])));
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

Key* FindKey(Key* root, const Path& path) { return FindKey(root, path, path.size()); }

Key* CreateKey(Key* root, const Path& path, bool* modified) {
  Key* key = root;
  for (const std::string& name : path) {
    std::unique_ptr<Key>& child = key->subkeys[name];  // an existing key keeps its spelling
    if (!child) {
      child = std::make_unique<Key>();
      *modified = true;
    }
    key = child.get();
  }
  return key;
}

bool SetValue(Key* key, const std::string& name, uint32_t type, std::string data, bool* modified) {
  if (name.size() > kMaxValueName) return false;
  auto it = key->values.find(name);
  if (it == key->values.end()) {
    key->values.emplace(name, Value{type, std::move(data)});
    *modified = true;
  } else if (it->second.type != type || it->second.data != data) {
    it->second.type = type;
    it->second.data = std::move(data);
    *modified = true;
  }
  return true;
}

std::string Serialise(const Key& root) {
  regfile::Writer writer;
  WriteKey(root, std::string(), false, &writer);
  return writer.Text();
}

void Load(const std::string& text, Key* root) {
  *root = Key();
  std::vector<regfile::Operation> operations;
  if (!regfile::Parse(text, &operations)) return;  // a new, empty file
  bool modified = false;
  for (const regfile::Operation& op : operations) Apply(root, op, &modified);
}

}  // namespace avex::platform::registry::tree
