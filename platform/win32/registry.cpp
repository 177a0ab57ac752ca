#include "platform/registry.h"

#include <windows.h>

#include <algorithm>

#include "platform/registry_path.h"

namespace avex::platform::registry {
namespace {

constexpr REGSAM kWriteAccess = KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE;

// Opened key, closed when it goes out of scope.
class KeyHandle {
 public:
  KeyHandle() = default;
  ~KeyHandle() { Reset(nullptr); }
  KeyHandle(const KeyHandle&) = delete;
  KeyHandle& operator=(const KeyHandle&) = delete;

  HKEY get() const { return key_; }
  HKEY* out() {
    Reset(nullptr);
    return &key_;
  }
  void Reset(HKEY key) {
    if (key_) RegCloseKey(key_);
    key_ = key;
  }
  HKEY Release() {
    HKEY key = key_;
    key_ = nullptr;
    return key;
  }

 private:
  HKEY key_ = nullptr;
};

// The first `count` names joined into pieces of at most 255 characters, which
// are opened one below the other. One piece in all but extreme cases: Wine's
// ANSI registry functions refuse a path longer than 260 characters, while the
// system itself limits only every single name.
std::vector<std::string> Pieces(const std::vector<std::string>& names, size_t count) {
  std::vector<std::string> pieces;
  for (size_t i = 0; i < count; ++i) {
    const std::string& name = names[i];
    if (!pieces.empty() && pieces.back().size() + 1 + name.size() <= kMaxKeyName) {
      pieces.back() += '\\';
      pieces.back() += name;
    } else {
      pieces.push_back(name);
    }
  }
  return pieces;
}

// Opens (or with `create`, creates) the key below HKEY_LOCAL_MACHINE.
LONG OpenPath(const std::vector<std::string>& pieces, REGSAM access, bool create, KeyHandle* result) {
  if (pieces.empty()) {
    // HKEY_LOCAL_MACHINE itself, as a handle of its own that may be closed.
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, nullptr, 0, access, result->out());
  }
  KeyHandle current;
  for (const std::string& piece : pieces) {
    HKEY base = current.get() ? current.get() : HKEY_LOCAL_MACHINE;
    HKEY next = nullptr;
    LONG status = create ? RegCreateKeyExA(base, piece.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                           access, nullptr, &next, nullptr)
                         : RegOpenKeyExA(base, piece.c_str(), 0, access, &next);
    if (status != ERROR_SUCCESS) return status;
    current.Reset(next);
  }
  result->Reset(current.Release());
  return ERROR_SUCCESS;
}

LONG OpenKey(const std::string& key, REGSAM access, bool create, KeyHandle* handle) {
  std::vector<std::string> names;
  if (!SplitKeyPath(key, &names)) return ERROR_BAD_PATHNAME;
  return OpenPath(Pieces(names, names.size()), access, create, handle);
}

LONG OpenForRead(const std::string& key, KeyHandle* handle) { return OpenKey(key, KEY_READ, false, handle); }

LONG CreateForWrite(const std::string& key, KeyHandle* handle) {
  return OpenKey(key, kWriteAccess, true, handle);
}

// Type and bytes of a value of an open key; false when the value is missing.
bool QueryRawFrom(HKEY key, const std::string& value, DWORD* type, std::string* data) {
  for (int attempt = 0; attempt < 8; ++attempt) {  // the value may grow between the two calls
    DWORD size = 0;
    if (RegQueryValueExA(key, value.c_str(), nullptr, type, nullptr, &size) != ERROR_SUCCESS) {
      return false;
    }
    data->assign(size, '\0');
    LONG status = RegQueryValueExA(key, value.c_str(), nullptr, type,
                                   reinterpret_cast<BYTE*>(&(*data)[0]), &size);
    if (status == ERROR_SUCCESS) {
      data->resize(size);
      return true;
    }
    if (status != ERROR_MORE_DATA) return false;
  }
  return false;
}

// Deletes `parent`\`name`: its subkeys first, depth-first (enumerate the
// first subkey, delete it with everything below it, repeat until none is
// left), then the key itself, which the system only deletes when it is empty.
bool DeleteSubtree(HKEY parent, const std::string& name) {
  {
    KeyHandle key;
    LONG status = RegOpenKeyExA(parent, name.c_str(), 0, KEY_READ, key.out());
    if (status == ERROR_FILE_NOT_FOUND) return true;
    if (status != ERROR_SUCCESS) return false;
    while (true) {
      char child[kMaxKeyName + 2];
      DWORD length = sizeof child;
      status = RegEnumKeyExA(key.get(), 0, child, &length, nullptr, nullptr, nullptr, nullptr);
      if (status == ERROR_NO_MORE_ITEMS) break;
      if (status != ERROR_SUCCESS) return false;
      if (!DeleteSubtree(key.get(), std::string(child, length))) return false;
    }
  }
  LONG status = RegDeleteKeyA(parent, name.c_str());
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

// Calls `enumerate(index, buffer, &length)` for index 0, 1, ... until the
// system has no more items. The buffer holds the longest name the system
// allows; should a name still not fit, it grows and the index is asked again,
// so a long name never ends the enumeration or hides the names after it.
template <typename Enumerate>
std::vector<std::string> EnumerateNames(size_t longestName, Enumerate enumerate) {
  std::vector<std::string> names;
  std::string buffer(longestName + 1, '\0');
  for (DWORD index = 0;;) {
    DWORD length = static_cast<DWORD>(buffer.size());
    LONG status = enumerate(index, &buffer[0], &length);
    if (status == ERROR_MORE_DATA && buffer.size() < (1u << 20)) {
      buffer.resize(buffer.size() * 2);
      continue;
    }
    if (status != ERROR_SUCCESS) break;  // ERROR_NO_MORE_ITEMS, or the key went away
    names.emplace_back(buffer.data(), length);
    ++index;
  }
  return names;
}

}  // namespace

RegistryKey::RegistryKey(void* handle) : handle_(handle) {}

RegistryKey::RegistryKey(RegistryKey&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept {
  if (this != &other) {
    if (handle_) RegCloseKey(static_cast<HKEY>(handle_));
    handle_ = other.handle_;
    other.handle_ = nullptr;
  }
  return *this;
}

RegistryKey::~RegistryKey() {
  if (handle_) RegCloseKey(static_cast<HKEY>(handle_));
}

RegistryKey RegistryKey::ForReading(const std::string& key) {
  KeyHandle handle;
  if (OpenForRead(key, &handle) != ERROR_SUCCESS) return RegistryKey(nullptr);
  return RegistryKey(handle.Release());
}

RegistryKey RegistryKey::ForWriting(const std::string& key) {
  KeyHandle handle;
  if (CreateForWrite(key, &handle) != ERROR_SUCCESS) return RegistryKey(nullptr);
  return RegistryKey(handle.Release());
}

RegistryKey RegistryKey::ForChanging(const std::string& key) {
  KeyHandle handle;
  if (OpenKey(key, kWriteAccess, false, &handle) != ERROR_SUCCESS) return RegistryKey(nullptr);
  return RegistryKey(handle.Release());
}

bool RegistryKey::IsOpen() const { return handle_ != nullptr; }

std::vector<StoredValue> RegistryKey::Values() const {
  std::vector<StoredValue> values;
  if (!handle_) return values;
  HKEY key = static_cast<HKEY>(handle_);
  DWORD count = 0, longestName = 0, longestData = 0;
  if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName,
                       &longestData, nullptr, nullptr) != ERROR_SUCCESS) {
    return values;
  }
  values.reserve(count);
  std::string name(std::max<size_t>(longestName, kMaxValueName) + 1, '\0');
  std::string data(std::max<DWORD>(longestData, 16), '\0');
  for (DWORD index = 0;;) {
    DWORD nameLength = static_cast<DWORD>(name.size());
    DWORD dataSize = static_cast<DWORD>(data.size());
    DWORD type = 0;
    LONG status = RegEnumValueA(key, index, &name[0], &nameLength, nullptr, &type,
                                reinterpret_cast<BYTE*>(&data[0]), &dataSize);
    if (status == ERROR_MORE_DATA && name.size() < (1u << 20) && data.size() < (1u << 30)) {
      // A value grew since the key was asked for its longest one.
      name.resize(name.size() * 2);
      data.resize(std::max<size_t>(data.size() * 2, dataSize));
      continue;
    }
    if (status != ERROR_SUCCESS) break;  // ERROR_NO_MORE_ITEMS, or the key went away
    values.push_back(StoredValue{std::string(name.data(), nameLength), type, std::string(data.data(), dataSize)});
    ++index;
  }
  return values;
}

std::vector<std::string> RegistryKey::SubkeyNames() const {
  if (!handle_) return {};
  return EnumerateNames(kMaxKeyName, [&](DWORD index, char* name, DWORD* length) {
    return RegEnumKeyExA(static_cast<HKEY>(handle_), index, name, length, nullptr, nullptr, nullptr, nullptr);
  });
}

std::vector<std::string> RegistryKey::ValueNames() const {
  if (!handle_) return {};
  return EnumerateNames(kMaxValueName, [&](DWORD index, char* name, DWORD* length) {
    return RegEnumValueA(static_cast<HKEY>(handle_), index, name, length, nullptr, nullptr, nullptr, nullptr);
  });
}

std::optional<StoredValue> RegistryKey::Query(const std::string& value) const {
  DWORD type = 0;
  std::string data;
  if (!handle_ || !QueryRawFrom(static_cast<HKEY>(handle_), value, &type, &data)) return std::nullopt;
  return StoredValue{value, type, std::move(data)};
}

bool RegistryKey::WriteDword(const std::string& value, uint32_t data) {
  DWORD dword = data;
  return handle_ && value.size() <= kMaxValueName &&
         RegSetValueExA(static_cast<HKEY>(handle_), value.c_str(), 0, REG_DWORD,
                        reinterpret_cast<const BYTE*>(&dword), sizeof dword) == ERROR_SUCCESS;
}

bool RegistryKey::WriteString(const std::string& value, const std::string& data) {
  return handle_ && value.size() <= kMaxValueName &&
         RegSetValueExA(static_cast<HKEY>(handle_), value.c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(data.c_str()),
                        static_cast<DWORD>(strlen(data.c_str()) + 1)) == ERROR_SUCCESS;
}

bool RegistryKey::Write(const StoredValue& value) {
  return handle_ && value.name.size() <= kMaxValueName &&
         RegSetValueExA(static_cast<HKEY>(handle_), value.name.c_str(), 0, value.type,
                        reinterpret_cast<const BYTE*>(value.data.data()),
                        static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS;
}

bool RegistryKey::DeleteValue(const std::string& value) {
  if (!handle_) return false;
  LONG status = RegDeleteValueA(static_cast<HKEY>(handle_), value.c_str());
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

bool RegistryKey::DeleteSubkeyTree(const std::string& name) {
  return handle_ && DeleteSubtree(static_cast<HKEY>(handle_), name);
}

// Every call reaches the registry at once; there is nothing to group.
Batch::Batch() = default;
Batch::~Batch() = default;

}  // namespace avex::platform::registry
