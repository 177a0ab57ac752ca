#include "platform/named_mutex.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <mutex>

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

// The mutex lives in a POSIX shared memory object "/avex-<name>", so every
// process (and every copy of this code in one process) that names it uses the
// same pthread mutex: robust (a holder that ends leaves it "owner dead", which
// we report as abandoned), recursive (as a Windows mutex is for its owning
// thread) and process-shared.
//
// The object's life follows the Windows one: it is removed when the last
// handle is closed. The locks are open-file-description record locks, which
// belong to one handle (not to the process), so copies of this code in one
// process behave as separate processes do:
// - byte 0, held exclusively while a handle is opened or closed, so exactly
//   one opener initialises the mutex and no opener races with a last closer;
// - byte 1, held shared by every open handle for its life; the closer that
//   can turn it exclusive is the last one, marks the object dead and unlinks
//   it. An opener that had opened the name just before sees the mark and
//   opens the name again. A handle of a process that dies is released by
//   the system, and a creator that died half-way leaves nothing half-made
//   (the next opener initialises the mutex).

namespace avex::platform {
namespace {

constexpr uint32_t kInitialised = 0x41566D78;  // "AVmx"
constexpr uint32_t kInfinite = 0xFFFFFFFF;     // INFINITE, as on Windows

struct Shared {
  uint32_t initialised;  // kInitialised once `mutex` is usable
  uint32_t dead;         // set by the last closer just before it unlinks the object
  pthread_mutex_t mutex;
};

// Guards every NamedMutex's creation, so one instance may be used from
// several threads. Constant-initialised: nothing runs at library load.
std::mutex gCreateLock;

std::string ObjectName(const std::string& name) {
  // Letters, digits, '.', '-' and '_' stand for themselves, every other byte
  // is %XX, so distinct names give distinct objects.
  std::string out = "/avex-";
  for (unsigned char c : name) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
        c == '-' || c == '_') {
      out.push_back(static_cast<char>(c));
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", c);
      out += escaped;
    }
  }
  if (out.size() > 200) {
    // NAME_MAX is 255: keep a prefix and a hash of the whole name.
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : name) hash = (hash ^ c) * 1099511628211ull;
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, "#%016llx", static_cast<unsigned long long>(hash));
    out.resize(180);
    out += suffix;
  }
  return out;
}

// pthread_mutex_clocklock with a CLOCK_MONOTONIC deadline. ThreadSanitizer
// sees pthread_mutex_lock and _unlock but not this call, so it is told of
// the acquisition, or every unlock would look unpaired and everything the
// mutex orders a race; and that the mutex is recursive, as a process before
// this one may have initialised it.
int ClockLock(pthread_mutex_t* mutex, const struct timespec* deadline) {
#if defined(__SANITIZE_THREAD__)
  const unsigned flags = __tsan_mutex_try_lock | __tsan_mutex_write_reentrant;
  __tsan_mutex_pre_lock(mutex, flags);
  const int result = pthread_mutex_clocklock(mutex, CLOCK_MONOTONIC, deadline);
  const bool acquired = result == 0 || result == EOWNERDEAD;
  __tsan_mutex_post_lock(mutex, acquired ? flags : flags | __tsan_mutex_try_lock_failed, 0);
  return result;
#else
  return pthread_mutex_clocklock(mutex, CLOCK_MONOTONIC, deadline);
#endif
}

constexpr off_t kOpenCloseByte = 0;
constexpr off_t kLifetimeByte = 1;

// Locks one byte of the object: F_RDLCK, F_WRLCK or F_UNLCK; `wait` blocks.
bool LockByte(int fd, off_t byte, short type, bool wait) {
  struct flock lock = {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = byte;
  lock.l_len = 1;
  int result;
  do {
    result = fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &lock);
  } while (result < 0 && errno == EINTR);
  return result == 0;
}

bool InitialiseMutex(pthread_mutex_t* mutex) {
  pthread_mutexattr_t attributes;
  if (pthread_mutexattr_init(&attributes) != 0) return false;
  bool ok = pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED) == 0 &&
            pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST) == 0 &&
            pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE) == 0 &&
            pthread_mutex_init(mutex, &attributes) == 0;
  pthread_mutexattr_destroy(&attributes);
  return ok;
}

}  // namespace

struct NamedMutex::Handle {
  std::string objectName;
  int fd = -1;
  Shared* shared = nullptr;
  // Acquires through this handle not yet released. Changed only by the
  // thread that holds the mutex, so it counts that thread's Acquires.
  std::atomic<int> held{0};
};

NamedMutex::NamedMutex(std::string name) : name_(std::move(name)) {}

NamedMutex::~NamedMutex() {
  if (!handle_) return;
  int fd = handle_->fd;
  if (handle_->held.load() > 0) {
    // Still held through this handle. The mapping must stay, so that the
    // system can mark the mutex abandoned when its owner ends; keep the object.
    close(fd);
    return;
  }
  if (LockByte(fd, kOpenCloseByte, F_WRLCK, true) && LockByte(fd, kLifetimeByte, F_WRLCK, false)) {
    // No other handle is open anywhere: remove the object, as Windows does.
    handle_->shared->dead = 1;
    shm_unlink(handle_->objectName.c_str());
  }
  munmap(handle_->shared, sizeof(Shared));
  close(fd);  // releases both locks
}

bool NamedMutex::EnsureCreated() {
  if (created_.load(std::memory_order_acquire) != nullptr) return true;
  std::lock_guard<std::mutex> guard(gCreateLock);
  if (handle_) return true;
  std::string objectName = ObjectName(name_);
  for (int attempt = 0; attempt < 100; ++attempt) {
    int fd = shm_open(objectName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    fchmod(fd, 0666);  // reachable for every user, as a mutex without security attributes is
    Shared* shared = nullptr;
    bool retry = false;
    bool ok = LockByte(fd, kOpenCloseByte, F_WRLCK, true);
    struct stat st;
    if (ok) ok = fstat(fd, &st) == 0;
    if (ok && static_cast<size_t>(st.st_size) < sizeof(Shared)) ok = ftruncate(fd, sizeof(Shared)) == 0;
    if (ok) {
      void* mapping = mmap(nullptr, sizeof(Shared), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
      ok = mapping != MAP_FAILED;
      if (ok) shared = static_cast<Shared*>(mapping);
    }
    if (ok && shared->dead) {
      retry = true;  // unlinked by the last closer after our shm_open: open the name again
    } else if (ok && shared->initialised != kInitialised) {
      ok = InitialiseMutex(&shared->mutex);
      if (ok) shared->initialised = kInitialised;
    }
    if (ok && !retry) ok = LockByte(fd, kLifetimeByte, F_RDLCK, true);
    if (ok && !retry) {
      LockByte(fd, kOpenCloseByte, F_UNLCK, false);
      handle_ = std::make_unique<Handle>();
      handle_->objectName = std::move(objectName);
      handle_->fd = fd;
      handle_->shared = shared;
      created_.store(handle_.get(), std::memory_order_release);
      return true;
    }
    if (shared) munmap(shared, sizeof(Shared));
    close(fd);
    if (!retry) return false;
  }
  return false;
}

NamedMutex::Wait NamedMutex::Acquire(uint32_t timeoutMs) {
  if (!EnsureCreated()) return Wait::Failed;
  pthread_mutex_t* mutex = &handle_->shared->mutex;
  int result;
  if (timeoutMs == kInfinite) {
    result = pthread_mutex_lock(mutex);
  } else {
    struct timespec deadline;
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += static_cast<time_t>(timeoutMs / 1000);
    deadline.tv_nsec += static_cast<long>(timeoutMs % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
      deadline.tv_sec += 1;
      deadline.tv_nsec -= 1000000000L;
    }
    result = ClockLock(mutex, &deadline);
  }
  switch (result) {
    case 0:
      ++handle_->held;
      return Wait::Acquired;
    case EOWNERDEAD:
      // We hold it now; mark it usable again so the next waiter is not told too.
      pthread_mutex_consistent(mutex);
      handle_->held = 1;  // what a dead thread of ours held through this handle is void
      return Wait::Abandoned;
    case ETIMEDOUT:
      return Wait::TimedOut;
    default:
      return Wait::Failed;
  }
}

void NamedMutex::Release() {
  Handle* handle = created_.load(std::memory_order_acquire);
  if (handle && pthread_mutex_unlock(&handle->shared->mutex) == 0 && handle->held > 0) --handle->held;
}

}  // namespace avex::platform
