// SharedDataLock: the system-wide lock over the shared configuration, so that
// threads and every process that loads the library exclude each other.
//
// The named mutex is created on first use and kept for the life of the
// library. Acquire waits at most the timeout; a wait that finds the mutex
// abandoned (its holder ended without releasing it) counts as acquired, and
// the data it guarded is used as it was left. Recursive for the holding thread.
#pragma once

#include <cstdint>
#include <string>

#include "platform/named_mutex.h"

namespace avex {

inline constexpr char kSharedDataMutexName[] = "AVexPlugSharedDataMutant";
inline constexpr uint32_t kSharedDataTimeoutMs = 120000;

class SharedDataLock {
 public:
  explicit SharedDataLock(std::string name = kSharedDataMutexName,
                          uint32_t timeoutMs = kSharedDataTimeoutMs);

  // True when the caller now holds the lock; false after the timeout, when
  // the guarded work must be skipped.
  bool Acquire();
  void Release();

 private:
  platform::NamedMutex mutex_;
  uint32_t timeoutMs_;
};

// Holds a SharedDataLock for a scope; Held() says whether it was acquired.
class SharedDataGuard {
 public:
  explicit SharedDataGuard(SharedDataLock& lock) : lock_(lock), held_(lock.Acquire()) {}
  ~SharedDataGuard() {
    if (held_) lock_.Release();
  }
  SharedDataGuard(const SharedDataGuard&) = delete;
  SharedDataGuard& operator=(const SharedDataGuard&) = delete;

  bool Held() const { return held_; }

 private:
  SharedDataLock& lock_;
  bool held_;
};

}  // namespace avex
