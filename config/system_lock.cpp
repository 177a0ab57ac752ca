#include "config/system_lock.h"

#include <utility>

#include "platform/trace.h"

namespace avex {

SystemLock::SystemLock(std::string name, uint32_t timeoutMs, const char* description)
    : mutex_(std::move(name)), timeoutMs_(timeoutMs), description_(description) {}

bool SystemLock::Acquire() {
  switch (mutex_.Acquire(timeoutMs_)) {
    case platform::NamedMutex::Wait::Acquired:
      return true;
    case platform::NamedMutex::Wait::Abandoned:
      platform::Trace(this, "%s %s was abandoned by its holder\n", description_, mutex_.Name().c_str());
      return true;
    case platform::NamedMutex::Wait::TimedOut:
      platform::Trace(this, "%s %s not acquired within %u ms\n", description_, mutex_.Name().c_str(), timeoutMs_);
      return false;
    case platform::NamedMutex::Wait::Failed:
      break;
  }
  platform::Trace(this, "%s %s cannot be created\n", description_, mutex_.Name().c_str());
  return false;
}

void SystemLock::Release() { mutex_.Release(); }

}  // namespace avex
