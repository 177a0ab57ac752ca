#include "platform/registry.h"

#include <functional>
#include <memory>

#include "platform/posix/registry_store.h"
#include "platform/posix/registry_tree.h"
#include "platform/reg_file.h"
#include "platform/registry_path.h"

// The POSIX backend's RegistryKey: a path into the tree (registry_tree.h)
// that lives where registry_store.h keeps it.

namespace avex::platform::registry {
namespace {

using store::Run;
using tree::CreateKey;
using tree::FindKey;
using tree::Key;
using tree::Path;
using tree::SetValue;

std::string DwordBytes(uint32_t data) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((data >> (8 * i)) & 0xFF);
  return bytes;
}

// What a RegistryKey holds here: the path, looked up again by every call, so
// that a batch or another process may change the tree in between.
struct OpenKeyState {
  Path path;
};

OpenKeyState* StateOf(void* handle) { return static_cast<OpenKeyState*>(handle); }

// Runs `work` on the open key; false when the key is no longer there.
bool RunOnKey(void* handle, bool write, const std::function<bool(Key* key, bool* modified)>& work) {
  if (handle == nullptr) return false;
  return Run(write, [&](Key* root, bool* modified) {
    Key* key = FindKey(root, StateOf(handle)->path);
    return key != nullptr && work(key, modified);
  });
}

}  // namespace

RegistryKey::RegistryKey(void* handle) : handle_(handle) {}

RegistryKey::RegistryKey(RegistryKey&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept {
  if (this != &other) {
    delete StateOf(handle_);
    handle_ = other.handle_;
    other.handle_ = nullptr;
  }
  return *this;
}

RegistryKey::~RegistryKey() { delete StateOf(handle_); }

RegistryKey RegistryKey::ForReading(const std::string& key) {
  auto state = std::make_unique<OpenKeyState>();
  if (!SplitKeyPath(key, &state->path) ||
      !Run(false, [&](Key* root, bool*) { return FindKey(root, state->path) != nullptr; })) {
    return RegistryKey(nullptr);
  }
  return RegistryKey(state.release());
}

RegistryKey RegistryKey::ForWriting(const std::string& key) {
  auto state = std::make_unique<OpenKeyState>();
  if (!SplitKeyPath(key, &state->path) || !Run(true, [&](Key* root, bool* modified) {
        CreateKey(root, state->path, modified);
        return true;
      })) {
    return RegistryKey(nullptr);
  }
  return RegistryKey(state.release());
}

// Here a key is open for reading and writing alike.
RegistryKey RegistryKey::ForChanging(const std::string& key) { return ForReading(key); }

bool RegistryKey::IsOpen() const { return handle_ != nullptr; }

std::vector<StoredValue> RegistryKey::Values() const {
  std::vector<StoredValue> values;
  RunOnKey(handle_, false, [&](Key* key, bool*) {
    values.reserve(key->values.size());
    for (const auto& [name, value] : key->values) values.push_back(StoredValue{name, value.type, value.data});
    return true;
  });
  return values;
}

std::vector<std::string> RegistryKey::SubkeyNames() const {
  std::vector<std::string> names;
  RunOnKey(handle_, false, [&](Key* key, bool*) {
    for (const auto& entry : key->subkeys) names.push_back(entry.first);
    return true;
  });
  return names;
}

std::vector<std::string> RegistryKey::ValueNames() const {
  std::vector<std::string> names;
  RunOnKey(handle_, false, [&](Key* key, bool*) {
    for (const auto& entry : key->values) names.push_back(entry.first);
    return true;
  });
  return names;
}

std::optional<StoredValue> RegistryKey::Query(const std::string& value) const {
  std::optional<StoredValue> result;
  RunOnKey(handle_, false, [&](Key* key, bool*) {
    auto it = key->values.find(value);
    if (it != key->values.end()) result = StoredValue{it->first, it->second.type, it->second.data};
    return true;
  });
  return result;
}

bool RegistryKey::WriteDword(const std::string& value, uint32_t data) {
  return RunOnKey(handle_, true, [&](Key* key, bool* modified) {
    return SetValue(key, value, regfile::kTypeDword, DwordBytes(data), modified);
  });
}

bool RegistryKey::WriteString(const std::string& value, const std::string& data) {
  return RunOnKey(handle_, true, [&](Key* key, bool* modified) {
    return SetValue(key, value, regfile::kTypeString, data.substr(0, data.find('\0')), modified);
  });
}

bool RegistryKey::Write(const StoredValue& value) {
  return RunOnKey(handle_, true, [&](Key* key, bool* modified) {
    return SetValue(key, value.name, value.type, value.data, modified);
  });
}

bool RegistryKey::DeleteValue(const std::string& value) {
  return RunOnKey(handle_, true, [&](Key* key, bool* modified) {
    if (key->values.erase(value)) *modified = true;
    return true;
  });
}

bool RegistryKey::DeleteSubkeyTree(const std::string& name) {
  return RunOnKey(handle_, true, [&](Key* key, bool* modified) {
    if (key->subkeys.erase(name)) *modified = true;
    return true;
  });
}

Batch::Batch() { store::BeginBatch(); }
Batch::~Batch() { store::EndBatch(); }

}  // namespace avex::platform::registry
