// SystemLock: a lock that threads and every process that loads the library
// share, over a named mutex.
//
// The named mutex is created on first use and kept for the life of the
// library. Acquire waits at most the timeout; a wait that finds the mutex
// abandoned (its holder ended without releasing it) counts as acquired.
// Recursive for the holding thread. Each failure is traced with the lock's
// description and name.
#pragma once

#include <cstdint>
#include <string>

#include "platform/named_mutex.h"

namespace avex {

class SystemLock {
 public:
  // `description` names the lock in traces ("shared data lock").
  SystemLock(std::string name, uint32_t timeoutMs, const char* description);

  // True when the caller now holds the lock; false after the timeout, when
  // the guarded work must be skipped.
  bool Acquire();
  void Release();

 private:
  platform::NamedMutex mutex_;
  uint32_t timeoutMs_;
  const char* description_;
};

// Holds a SystemLock for a scope; Held() says whether it was acquired.
class SystemLockGuard {
 public:
  explicit SystemLockGuard(SystemLock& lock) : lock_(lock), held_(lock.Acquire()) {}
  ~SystemLockGuard() {
    if (held_) lock_.Release();
  }
  SystemLockGuard(const SystemLockGuard&) = delete;
  SystemLockGuard& operator=(const SystemLockGuard&) = delete;

  bool Held() const { return held_; }

 private:
  SystemLock& lock_;
  bool held_;
};

}  // namespace avex
