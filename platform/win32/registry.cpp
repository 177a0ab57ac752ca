#include "platform/registry.h"

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "platform/reg_file.h"
#include "platform/registry_fixture.h"

namespace avex::platform::registry {
namespace {

constexpr size_t kMaxKeyName = 255;      // characters of one key name
constexpr size_t kMaxValueName = 16383;  // characters of a value name
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

// "A\\B\\C" -> {A, B, C}. Empty names are skipped, as the system skips them;
// a leading backslash (the system answers ERROR_BAD_PATHNAME) or a name
// longer than 255 characters makes the path invalid.
bool SplitNames(const std::string& key, std::vector<std::string>* names) {
  names->clear();
  if (!key.empty() && key[0] == '\\') return false;
  size_t start = 0;
  while (start <= key.size()) {
    size_t end = key.find('\\', start);
    if (end == std::string::npos) end = key.size();
    if (end > start) {
      if (end - start > kMaxKeyName) return false;
      names->push_back(key.substr(start, end - start));
    }
    start = end + 1;
  }
  return true;
}

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
  if (!SplitNames(key, &names)) return ERROR_BAD_PATHNAME;
  return OpenPath(Pieces(names, names.size()), access, create, handle);
}

LONG OpenForRead(const std::string& key, KeyHandle* handle) {
  return OpenKey(key, KEY_READ, false, handle);
}

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

// The same for `key`, opened for this one query.
bool QueryRaw(const std::string& key, const std::string& value, DWORD* type, std::string* data) {
  KeyHandle handle;
  return OpenForRead(key, &handle) == ERROR_SUCCESS && QueryRawFrom(handle.get(), value, type, data);
}

bool SetRaw(const std::string& key, const std::string& value, DWORD type, const void* data, DWORD size) {
  if (value.size() > kMaxValueName) return false;
  KeyHandle handle;
  if (CreateForWrite(key, &handle) != ERROR_SUCCESS) return false;
  return RegSetValueExA(handle.get(), value.c_str(), 0, type, static_cast<const BYTE*>(data), size) ==
         ERROR_SUCCESS;
}

bool DeleteValue(const std::string& key, const std::string& value) {
  KeyHandle handle;
  LONG status = OpenKey(key, KEY_SET_VALUE, false, &handle);
  if (status == ERROR_FILE_NOT_FOUND) return true;  // no key, so no value either
  if (status != ERROR_SUCCESS) return false;
  status = RegDeleteValueA(handle.get(), value.c_str());
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
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

std::optional<uint32_t> QueryDword(const std::string& key, const std::string& value) {
  DWORD type = 0;
  std::string data;
  if (!QueryRaw(key, value, &type, &data) || type != REG_DWORD || data.size() != sizeof(DWORD)) {
    return std::nullopt;
  }
  DWORD result = 0;
  memcpy(&result, data.data(), sizeof result);
  return result;
}

std::optional<std::string> QueryString(const std::string& key, const std::string& value,
                                       size_t maxBytes) {
  DWORD type = 0;
  std::string data;
  if (!QueryRaw(key, value, &type, &data) || type != REG_SZ) return std::nullopt;
  std::string text = data.substr(0, data.find('\0'));  // stored with or without its zero
  if (text.size() >= maxBytes) return std::nullopt;    // with its zero it would not fit
  return text;
}

uint32_t ReadDword(const std::string& key, const std::string& value, uint32_t fallback) {
  return QueryDword(key, value).value_or(fallback);
}

std::string ReadString(const std::string& key, const std::string& value, const std::string& fallback) {
  std::optional<std::string> text = QueryString(key, value);
  return text ? *text : fallback;
}

bool WriteDword(const std::string& key, const std::string& value, uint32_t data) {
  DWORD dword = data;
  return SetRaw(key, value, REG_DWORD, &dword, sizeof dword);
}

bool WriteString(const std::string& key, const std::string& value, const char* data) {
  if (data == nullptr) return DeleteValue(key, value);
  return SetRaw(key, value, REG_SZ, data, static_cast<DWORD>(strlen(data) + 1));
}

bool KeyExists(const std::string& key) {
  KeyHandle handle;
  return OpenForRead(key, &handle) == ERROR_SUCCESS;
}

bool DeleteKeyTree(const std::string& key) {
  std::vector<std::string> names;
  if (!SplitNames(key, &names) || names.empty()) return false;  // never HKEY_LOCAL_MACHINE
  KeyHandle parent;
  LONG status = OpenPath(Pieces(names, names.size() - 1), KEY_READ, false, &parent);
  if (status == ERROR_FILE_NOT_FOUND) return true;
  if (status != ERROR_SUCCESS) return false;
  return DeleteSubtree(parent.get(), names.back());
}

std::vector<std::string> SubkeyNames(const std::string& key) {
  KeyHandle handle;
  if (OpenForRead(key, &handle) != ERROR_SUCCESS) return {};
  return EnumerateNames(kMaxKeyName, [&](DWORD index, char* name, DWORD* length) {
    return RegEnumKeyExA(handle.get(), index, name, length, nullptr, nullptr, nullptr, nullptr);
  });
}

std::vector<std::string> ValueNames(const std::string& key) {
  KeyHandle handle;
  if (OpenForRead(key, &handle) != ERROR_SUCCESS) return {};
  return EnumerateNames(kMaxValueName, [&](DWORD index, char* name, DWORD* length) {
    return RegEnumValueA(handle.get(), index, name, length, nullptr, nullptr, nullptr, nullptr);
  });
}

bool RenameKey(const std::string& key, const std::string& newName) {
  std::vector<std::string> names;
  if (!SplitNames(key, &names) || names.empty() || newName.empty() || newName.size() > kMaxKeyName ||
      newName.find('\\') != std::string::npos) {
    return false;
  }
  KeyHandle parent;
  if (OpenPath(Pieces(names, names.size() - 1), KEY_READ | KEY_WRITE, false, &parent) != ERROR_SUCCESS) {
    return false;
  }
  // The system's rename takes names in UTF-16; ours are in the ANSI code page.
  auto wide = [](const std::string& text) {
    std::wstring result(text.size() + 1, L'\0');
    int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &result[0],
                                     static_cast<int>(result.size()));
    result.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return result;
  };
  return RegRenameKey(parent.get(), wide(names.back()).c_str(), wide(newName).c_str()) == ERROR_SUCCESS;
}

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

std::optional<uint32_t> RegistryKey::QueryDword(const std::string& value) const {
  DWORD type = 0, data = 0, size = sizeof data;
  if (!handle_ || RegQueryValueExA(static_cast<HKEY>(handle_), value.c_str(), nullptr, &type,
                                   reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof data) {
    return std::nullopt;
  }
  return data;
}

std::optional<std::string> RegistryKey::QueryString(const std::string& value) const {
  DWORD type = 0;
  std::string data;
  if (!handle_ || !QueryRawFrom(static_cast<HKEY>(handle_), value, &type, &data) || type != REG_SZ) {
    return std::nullopt;
  }
  return data.substr(0, data.find('\0'));
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

bool RegistryKey::DeleteValue(const std::string& value) {
  if (!handle_) return false;
  LONG status = RegDeleteValueA(static_cast<HKEY>(handle_), value.c_str());
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

// Every call reaches the registry at once; there is nothing to group.
Batch::Batch() = default;
Batch::~Batch() = default;

bool ImportRegText(const std::string& text) {
  std::vector<regfile::Operation> operations;
  if (!regfile::Parse(text, &operations)) return false;
  bool ok = true;
  for (const regfile::Operation& op : operations) {
    bool done = false;
    switch (op.kind) {
      case regfile::Operation::Kind::CreateKey: {
        KeyHandle handle;
        done = CreateForWrite(op.key, &handle) == ERROR_SUCCESS;
        break;
      }
      case regfile::Operation::Kind::DeleteKey:
        done = DeleteKeyTree(op.key);
        break;
      case regfile::Operation::Kind::SetValue: {
        std::string data = op.data;
        if (op.type == REG_SZ) data.push_back('\0');  // stored with its zero, as regedit does
        done = SetRaw(op.key, op.name, op.type, data.data(), static_cast<DWORD>(data.size()));
        break;
      }
      case regfile::Operation::Kind::DeleteValue:
        done = DeleteValue(op.key, op.name);
        break;
    }
    ok = done && ok;
  }
  return ok;
}

bool ImportRegFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::ostringstream text;
  text << file.rdbuf();
  return ImportRegText(text.str());
}

}  // namespace avex::platform::registry
