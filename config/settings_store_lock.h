// SettingsStoreLock: the system-wide lock that orders the loads and saves of
// the settings store across threads and every process that loads the library.
//
// It is not the shared-data lock: a save of large lists takes long, and
// requests must not wait for it. Whoever takes both takes the shared-data
// lock first; nothing takes the shared-data lock while it holds this one.
// The journal of a save its abandoned holder interrupted is finished by the
// next holder. Recursive for the holding thread, so a load may save under it.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "config/system_lock.h"

namespace avex {

inline constexpr char kSettingsStoreMutexName[] = "AVexPlugSettingsStoreMutant";
inline constexpr uint32_t kSettingsStoreTimeoutMs = 120000;

class SettingsStoreLock : public SystemLock {
 public:
  explicit SettingsStoreLock(std::string name = kSettingsStoreMutexName,
                             uint32_t timeoutMs = kSettingsStoreTimeoutMs)
      : SystemLock(std::move(name), timeoutMs, "settings store lock") {}
};

using SettingsStoreGuard = SystemLockGuard;

}  // namespace avex
