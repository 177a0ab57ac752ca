// SharedDataLock: the system-wide lock over the shared configuration, so that
// threads and every process that loads the library exclude each other. The
// data it guarded is used as an abandoned holder left it.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "config/system_lock.h"

namespace avex {

inline constexpr char kSharedDataMutexName[] = "AVexPlugSharedDataMutant";
inline constexpr uint32_t kSharedDataTimeoutMs = 120000;

class SharedDataLock : public SystemLock {
 public:
  explicit SharedDataLock(std::string name = kSharedDataMutexName, uint32_t timeoutMs = kSharedDataTimeoutMs)
      : SystemLock(std::move(name), timeoutMs, "shared data lock") {}
};

using SharedDataGuard = SystemLockGuard;

}  // namespace avex
