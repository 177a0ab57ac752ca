#include "platform/posix/registry_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <string>

namespace avex::platform::registry::store {
namespace {

struct Store {
  // Every call, in both modes; a batch holds it from start to end, so it
  // must be recursive for the batch's own thread.
  std::recursive_mutex lock;
  tree::Key tree;  // the in-process registry
  // The file mode's last text and its tree, so that a call whose file did not
  // change since this copy's last call does not parse it again.
  std::string cachedPath;
  std::string cachedText;
  tree::Key cachedTree;
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
tree::Key* FileTree(Store& store, const char* path, int fd) {
  std::string text;
  if (!ReadAll(fd, &text)) return nullptr;
  if (!store.cacheValid || store.cachedPath != path || store.cachedText != text) {
    tree::Load(text, &store.cachedTree);
    store.cachedPath = path;
    store.cachedText = std::move(text);
    store.cacheValid = true;
  }
  return &store.cachedTree;
}

// Writes the cached tree over the file; false (and the cache dropped) when
// the file could not be replaced.
bool StoreFileTree(Store& store, const std::string& path) {
  std::string updated = tree::Serialise(store.cachedTree);
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

}  // namespace

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
  tree::Key* root = fd < 0 ? nullptr : FileTree(store, file, fd);
  if (root == nullptr) {
    if (fd >= 0) close(fd);
    if (write) return false;
    tree::Key empty;  // no file yet: an empty registry
    return work(&empty, &modified);
  }
  bool result = work(root, &modified);
  if (write && modified && !StoreFileTree(store, file)) result = false;
  close(fd);  // releases the flock
  return result;
}

void BeginBatch() {
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

void EndBatch() {
  Store& store = TheStore();
  if (--store.batchDepth == 0 && store.batchFd >= 0) {
    if (store.batchModified) StoreFileTree(store, store.batchPath);
    close(store.batchFd);
    store.batchFd = -1;
  }
  store.lock.unlock();
}

}  // namespace avex::platform::registry::store
