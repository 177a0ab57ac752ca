// SettingsStoreLock: the system-wide lock that orders the loads and saves of
// the settings store across threads and every process that loads the library.
//
// It is not the shared-data lock: a save of large lists takes long, and
// requests must not wait for it. Whoever takes both takes the shared-data
// lock first; nothing takes the shared-data lock while it holds this one.
// The named mutex is created on first use and kept for the life of the
// library. Acquire waits at most the timeout; a mutex found abandoned (its
// holder ended without releasing it) counts as acquired: the journal of an
// interrupted save is finished by the next holder. Recursive for the holding
// thread, so a load may save under it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/named_mutex.h"

namespace avex {

inline constexpr char kSettingsStoreMutexName[] = "AVexPlugSettingsStoreMutant";
inline constexpr uint32_t kSettingsStoreTimeoutMs = 120000;

class SettingsStoreLock {
 public:
  explicit SettingsStoreLock(std::string name = kSettingsStoreMutexName,
                             uint32_t timeoutMs = kSettingsStoreTimeoutMs);

  // True when the caller now holds the lock; false after the timeout (traced),
  // when the load or save must be skipped.
  bool Acquire();
  void Release();

 private:
  platform::NamedMutex mutex_;
  uint32_t timeoutMs_;
};

// Holds a SettingsStoreLock for a scope; Held() says whether it was acquired.
class SettingsStoreGuard {
 public:
  explicit SettingsStoreGuard(SettingsStoreLock& lock) : lock_(lock), held_(lock.Acquire()) {}
  ~SettingsStoreGuard() {
    if (held_) lock_.Release();
  }
  SettingsStoreGuard(const SettingsStoreGuard&) = delete;
  SettingsStoreGuard& operator=(const SettingsStoreGuard&) = delete;

  bool Held() const { return held_; }

 private:
  SettingsStoreLock& lock_;
  bool held_;
};

}  // namespace avex
