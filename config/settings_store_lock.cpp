#include "config/settings_store_lock.h"

#include "platform/trace.h"

namespace avex {

SettingsStoreLock::SettingsStoreLock(std::string name, uint32_t timeoutMs)
    : mutex_(std::move(name)), timeoutMs_(timeoutMs) {}

bool SettingsStoreLock::Acquire() {
  switch (mutex_.Acquire(timeoutMs_)) {
    case platform::NamedMutex::Wait::Acquired:
      return true;
    case platform::NamedMutex::Wait::Abandoned:
      platform::Trace(this, "settings store lock %s was abandoned by its holder\n", mutex_.Name().c_str());
      return true;
    case platform::NamedMutex::Wait::TimedOut:
      platform::Trace(this, "settings store lock %s not acquired within %u ms\n", mutex_.Name().c_str(),
                      timeoutMs_);
      return false;
    case platform::NamedMutex::Wait::Failed:
      break;
  }
  platform::Trace(this, "settings store lock %s cannot be created\n", mutex_.Name().c_str());
  return false;
}

void SettingsStoreLock::Release() { mutex_.Release(); }

}  // namespace avex
