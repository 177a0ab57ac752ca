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
  std::mutex lock;  // every call, in both modes
  Key tree;         // the in-process registry
  // The file mode's last text and its tree, so that a call whose file did not
  // change since this copy's last call does not parse it again.
  std::string cachedPath;
  std::string cachedText;
  Key cachedTree;
  bool cacheValid = false;
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
    ssize_t n = pwrite(fd, text.data() + done, text.size() - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return ftruncate(fd, static_cast<off_t>(text.size())) == 0;
}

using Work = std::function<bool(Key* root, bool* modified)>;

// Runs `work` on the registry: the in-process tree, or the AVEX_REGISTRY file
// under its lock (shared for reads, exclusive for writes). Returns what
// `work` returns; false when a write could not reach the file.
bool Run(bool write, const Work& work) {
  Store& store = TheStore();
  std::lock_guard<std::mutex> guard(store.lock);
  bool modified = false;
  const char* file = std::getenv("AVEX_REGISTRY");
  if (file == nullptr || *file == '\0') return work(&store.tree, &modified);

  int fd = open(file, write ? (O_RDWR | O_CREAT | O_CLOEXEC) : (O_RDONLY | O_CLOEXEC), 0644);
  if (fd < 0) {
    if (write) return false;
    Key empty;  // no file yet: an empty registry
    return work(&empty, &modified);
  }
  std::string text;
  if (Flock(fd, write ? LOCK_EX : LOCK_SH) != 0 || !ReadAll(fd, &text)) {
    close(fd);
    if (write) return false;
    Key empty;
    return work(&empty, &modified);
  }
  if (!store.cacheValid || store.cachedPath != file || store.cachedText != text) {
    Load(text, &store.cachedTree);
    store.cachedPath = file;
    store.cachedText = std::move(text);
    store.cacheValid = true;
  }
  bool result = work(&store.cachedTree, &modified);
  if (write && modified) {
    std::string updated = Serialise(store.cachedTree);
    if (WriteAll(fd, updated)) {
      store.cachedText = std::move(updated);
    } else {
      store.cacheValid = false;
      result = false;
    }
  }
  close(fd);  // releases the flock
  return result;
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
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((data >> (8 * i)) & 0xFF);
  return Run(true, [&](Key* root, bool* modified) {
    return SetValue(CreateKey(root, path, modified), value, regfile::kTypeDword, bytes, modified);
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
