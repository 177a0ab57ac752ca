#include "platform/registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>

#include "platform/posix/cp1252.h"
#include "platform/reg_file.h"
#include "platform/registry_fixture.h"

// The registry as a tree of keys with the semantics Wine's registry has:
// names compare as Wine compares them (each character lower-cased, then by
// Unicode code point, a shorter name before a longer one with the same
// start), a key keeps the spelling it was created with, and subkeys and
// values enumerate in that order. When AVEX_REGISTRY names a file, every call
// reads the tree from it and writes it back under an flock of the file, so
// processes, and copies of this code in one process, share one registry.

namespace avex::platform::registry {
namespace {

constexpr size_t kMaxKeyName = 255;      // characters of one key name
constexpr size_t kMaxValueName = 16383;  // characters of a value name

struct NameLess {
  bool operator()(const std::string& a, const std::string& b) const {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
      uint16_t x = cp1252::ToUnicode(cp1252::Lower(static_cast<unsigned char>(a[i])));
      uint16_t y = cp1252::ToUnicode(cp1252::Lower(static_cast<unsigned char>(b[i])));
      if (x != y) return x < y;
    }
    return a.size() < b.size();
  }
  static bool Same(const std::string& a, const std::string& b) {
    return !NameLess()(a, b) && !NameLess()(b, a);
  }
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

// "A\\B\\C" -> {A, B, C}. Empty components are skipped (as Wine does); a
// leading backslash or a name longer than 255 characters makes the path invalid.
bool SplitPath(const std::string& key, Path* path) {
  path->clear();
  if (!key.empty() && key[0] == '\\') return false;
  size_t start = 0;
  while (start <= key.size()) {
    size_t end = key.find('\\', start);
    if (end == std::string::npos) end = key.size();
    if (end > start) {
      if (end - start > kMaxKeyName) return false;
      path->push_back(key.substr(start, end - start));
    }
    start = end + 1;
  }
  return true;
}

Key* FindKey(Key* root, const Path& path, size_t depth) {
  Key* key = root;
  for (size_t i = 0; i < depth && key; ++i) {
    auto it = key->subkeys.find(path[i]);
    key = it == key->subkeys.end() ? nullptr : it->second.get();
  }
  return key;
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

bool DeleteKey(Key* root, const Path& path, bool* modified) {
  if (path.empty()) return false;  // HKEY_LOCAL_MACHINE itself
  Key* parent = FindKey(root, path, path.size() - 1);
  if (!parent) return true;
  if (parent->subkeys.erase(path.back())) *modified = true;
  return true;
}

bool Apply(Key* root, const regfile::Operation& op, bool* modified) {
  Path path;
  if (!SplitPath(op.key, &path)) return false;
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

struct Store {
  // Every call, in both modes; a batch holds it from start to end, so it
  // must be recursive for the batch's own thread.
  std::recursive_mutex lock;
  Key tree;  // the in-process registry
  // The file mode's last text and its tree, so that a call whose file did not
  // change since this copy's last call does not parse it again.
  std::string cachedPath;
  std::string cachedText;
  Key cachedTree;
  bool cacheValid = false;
  // The open batch of this copy: its depth, and in file mode the locked file
  // (descriptor, path, tree changed) that its end writes.
  int batchDepth = 0;
  int batchFd = -1;
  std::string batchPath;
  bool batchModified = false;
};

Store& TheStore() {
  // Destroyed with the library that holds it: a plug-in copy that is unloaded
  // and loaded again must not leave its tree behind. No destructor of ours
  // touches the registry.
  static Store store;
  return store;
}

int Flock(int fd, int operation) {
  int result;
  do {
    result = flock(fd, operation);
  } while (result < 0 && errno == EINTR);
  return result;
}

bool ReadAll(int fd, std::string* text) {
  text->clear();
  char buffer[65536];
  off_t offset = 0;
  while (true) {
    ssize_t n = pread(fd, buffer, sizeof buffer, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    text->append(buffer, static_cast<size_t>(n));
    offset += n;
  }
}

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Opens the registry file and locks it (shared or exclusive). A writer
// replaces the file by renaming a new one over it, so a lock taken on a file
// that is no longer the one under `path` is dropped and taken again on the
// new one. -1 when the file cannot be opened (for a reader: does not exist).
int OpenLocked(const char* path, bool write) {
  while (true) {
    int fd = open(path, write ? (O_RDWR | O_CREAT | O_CLOEXEC) : (O_RDONLY | O_CLOEXEC), 0644);
    if (fd < 0) return -1;
    struct stat opened, current;
    if (Flock(fd, write ? LOCK_EX : LOCK_SH) != 0 || fstat(fd, &opened) != 0) {
      close(fd);
      return -1;
    }
    if (stat(path, &current) == 0 && current.st_ino == opened.st_ino && current.st_dev == opened.st_dev) {
      return fd;
    }
    close(fd);
  }
}

// Writes `text` beside the file and renames it over the file, while the
// caller holds the file's lock: a reader sees the old text or the new one
// whole, and a process killed meanwhile leaves the old one.
bool ReplaceFile(const std::string& path, const std::string& text) {
  const std::string temporary = path + ".new." + std::to_string(getpid());
  int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool written = WriteAll(fd, text);
  written = close(fd) == 0 && written;
  if (!written || rename(temporary.c_str(), path.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  return true;
}

// The tree of the locked file `fd`, parsed again only when its text changed.
Key* FileTree(Store& store, const char* path, int fd) {
  std::string text;
  if (!ReadAll(fd, &text)) return nullptr;
  if (!store.cacheValid || store.cachedPath != path || store.cachedText != text) {
    Load(text, &store.cachedTree);
    store.cachedPath = path;
    store.cachedText = std::move(text);
    store.cacheValid = true;
  }
  return &store.cachedTree;
}

// Writes the cached tree over the file; false (and the cache dropped) when
// the file could not be replaced.
bool StoreFileTree(Store& store, const std::string& path) {
  std::string updated = Serialise(store.cachedTree);
  if (!ReplaceFile(path, updated)) {
    store.cacheValid = false;
    return false;
  }
  store.cachedText = std::move(updated);
  return true;
}

const char* RegistryFile() {
  const char* file = std::getenv("AVEX_REGISTRY");
  return file == nullptr || *file == '\0' ? nullptr : file;
}

using Work = std::function<bool(Key* root, bool* modified)>;

// Runs `work` on the registry: the in-process tree, or the AVEX_REGISTRY file
// under its lock (shared for reads, exclusive for writes), or, inside a
// batch, the tree the batch holds. Returns what `work` returns; false when a
// write could not reach the file.
bool Run(bool write, const Work& work) {
  Store& store = TheStore();
  std::lock_guard<std::recursive_mutex> guard(store.lock);
  bool modified = false;
  if (store.batchFd >= 0) {
    bool result = work(&store.cachedTree, &modified);
    store.batchModified = store.batchModified || modified;
    return result;
  }
  const char* file = RegistryFile();
  if (file == nullptr) return work(&store.tree, &modified);

  int fd = OpenLocked(file, write);
  Key* tree = fd < 0 ? nullptr : FileTree(store, file, fd);
  if (tree == nullptr) {
    if (fd >= 0) close(fd);
    if (write) return false;
    Key empty;  // no file yet: an empty registry
    return work(&empty, &modified);
  }
  bool result = work(tree, &modified);
  if (write && modified && !StoreFileTree(store, file)) result = false;
  close(fd);  // releases the flock
  return result;
}

std::string DwordBytes(uint32_t data) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((data >> (8 * i)) & 0xFF);
  return bytes;
}

const Value* FindValue(Key* root, const std::string& key, const std::string& value) {
  Path path;
  if (!SplitPath(key, &path)) return nullptr;
  Key* k = FindKey(root, path);
  if (!k) return nullptr;
  auto it = k->values.find(value);
  return it == k->values.end() ? nullptr : &it->second;
}

}  // namespace

std::optional<uint32_t> QueryDword(const std::string& key, const std::string& value) {
  std::optional<uint32_t> result;
  Run(false, [&](Key* root, bool*) {
    const Value* v = FindValue(root, key, value);
    if (v && v->type == regfile::kTypeDword && v->data.size() == 4) {
      uint32_t data = 0;
      for (int i = 3; i >= 0; --i) data = (data << 8) | static_cast<unsigned char>(v->data[i]);
      result = data;
    }
    return true;
  });
  return result;
}

std::optional<std::string> QueryString(const std::string& key, const std::string& value,
                                       size_t maxBytes) {
  std::optional<std::string> result;
  Run(false, [&](Key* root, bool*) {
    const Value* v = FindValue(root, key, value);
    if (v && v->type == regfile::kTypeString) {
      std::string text = v->data.substr(0, v->data.find('\0'));
      if (text.size() < maxBytes) result = std::move(text);  // with its zero it fits
    }
    return true;
  });
  return result;
}

uint32_t ReadDword(const std::string& key, const std::string& value, uint32_t fallback) {
  return QueryDword(key, value).value_or(fallback);
}

std::string ReadString(const std::string& key, const std::string& value, const std::string& fallback) {
  std::optional<std::string> text = QueryString(key, value);
  return text ? *text : fallback;
}

bool WriteDword(const std::string& key, const std::string& value, uint32_t data) {
  Path path;
  if (!SplitPath(key, &path) || value.size() > kMaxValueName) return false;
  return Run(true, [&](Key* root, bool* modified) {
    return SetValue(CreateKey(root, path, modified), value, regfile::kTypeDword, DwordBytes(data), modified);
  });
}

bool WriteString(const std::string& key, const std::string& value, const char* data) {
  Path path;
  if (!SplitPath(key, &path) || value.size() > kMaxValueName) return false;
  if (data == nullptr) {
    return Run(true, [&](Key* root, bool* modified) {
      if (Key* k = FindKey(root, path)) {
        if (k->values.erase(value)) *modified = true;
      }
      return true;
    });
  }
  return Run(true, [&](Key* root, bool* modified) {
    return SetValue(CreateKey(root, path, modified), value, regfile::kTypeString, data, modified);
  });
}

bool KeyExists(const std::string& key) {
  Path path;
  if (!SplitPath(key, &path)) return false;
  bool exists = false;
  Run(false, [&](Key* root, bool*) {
    exists = FindKey(root, path) != nullptr;
    return true;
  });
  return exists;
}

bool DeleteKeyTree(const std::string& key) {
  Path path;
  if (!SplitPath(key, &path) || path.empty()) return false;
  return Run(true, [&](Key* root, bool* modified) { return DeleteKey(root, path, modified); });
}

std::vector<std::string> SubkeyNames(const std::string& key) {
  std::vector<std::string> names;
  Path path;
  if (!SplitPath(key, &path)) return names;
  Run(false, [&](Key* root, bool*) {
    if (Key* k = FindKey(root, path)) {
      for (const auto& entry : k->subkeys) names.push_back(entry.first);
    }
    return true;
  });
  return names;
}

std::vector<std::string> ValueNames(const std::string& key) {
  std::vector<std::string> names;
  Path path;
  if (!SplitPath(key, &path)) return names;
  Run(false, [&](Key* root, bool*) {
    if (Key* k = FindKey(root, path)) {
      for (const auto& entry : k->values) names.push_back(entry.first);
    }
    return true;
  });
  return names;
}

bool RenameKey(const std::string& key, const std::string& newName) {
  Path path;
  if (!SplitPath(key, &path) || path.empty() || newName.empty() || newName.size() > kMaxKeyName ||
      newName.find('\\') != std::string::npos) {
    return false;
  }
  return Run(true, [&](Key* root, bool* modified) {
    Key* parent = FindKey(root, path, path.size() - 1);
    if (parent == nullptr) return false;
    auto from = parent->subkeys.find(path.back());
    if (from == parent->subkeys.end()) return false;
    if (parent->subkeys.count(newName) != 0 && !NameLess::Same(from->first, newName)) return false;
    std::unique_ptr<Key> moved = std::move(from->second);
    parent->subkeys.erase(from);
    parent->subkeys.emplace(newName, std::move(moved));
    *modified = true;
    return true;
  });
}

namespace {

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
  if (!SplitPath(key, &state->path) ||
      !Run(false, [&](Key* root, bool*) { return FindKey(root, state->path) != nullptr; })) {
    return RegistryKey(nullptr);
  }
  return RegistryKey(state.release());
}

RegistryKey RegistryKey::ForWriting(const std::string& key) {
  auto state = std::make_unique<OpenKeyState>();
  if (!SplitPath(key, &state->path) || !Run(true, [&](Key* root, bool* modified) {
        CreateKey(root, state->path, modified);
        return true;
      })) {
    return RegistryKey(nullptr);
  }
  return RegistryKey(state.release());
}

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

std::optional<uint32_t> RegistryKey::QueryDword(const std::string& value) const {
  std::optional<uint32_t> result;
  RunOnKey(handle_, false, [&](Key* key, bool*) {
    auto it = key->values.find(value);
    if (it != key->values.end()) result = StoredValue{value, it->second.type, it->second.data}.Dword();
    return true;
  });
  return result;
}

std::optional<std::string> RegistryKey::QueryString(const std::string& value) const {
  std::optional<std::string> result;
  RunOnKey(handle_, false, [&](Key* key, bool*) {
    auto it = key->values.find(value);
    if (it != key->values.end()) result = StoredValue{value, it->second.type, it->second.data}.String();
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

bool RegistryKey::DeleteValue(const std::string& value) {
  return RunOnKey(handle_, true, [&](Key* key, bool* modified) {
    if (key->values.erase(value)) *modified = true;
    return true;
  });
}

Batch::Batch() {
  Store& store = TheStore();
  store.lock.lock();
  if (store.batchDepth++ > 0) return;
  const char* file = RegistryFile();
  if (file == nullptr) return;
  int fd = OpenLocked(file, true);
  if (fd >= 0 && FileTree(store, file, fd) == nullptr) {
    close(fd);
    fd = -1;
  }
  // Without the file the batch's calls go their own way, each failing as it would alone.
  store.batchFd = fd;
  store.batchPath = file;
  store.batchModified = false;
}

Batch::~Batch() {
  Store& store = TheStore();
  if (--store.batchDepth == 0 && store.batchFd >= 0) {
    if (store.batchModified) StoreFileTree(store, store.batchPath);
    close(store.batchFd);
    store.batchFd = -1;
  }
  store.lock.unlock();
}

bool ImportRegText(const std::string& text) {
  std::vector<regfile::Operation> operations;
  if (!regfile::Parse(text, &operations)) return false;
  return Run(true, [&](Key* root, bool* modified) {
    bool ok = true;
    for (const regfile::Operation& op : operations) ok = Apply(root, op, modified) && ok;
    return ok;
  });
}

bool ImportRegFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::ostringstream text;
  text << file.rdbuf();
  return ImportRegText(text.str());
}

}  // namespace avex::platform::registry
