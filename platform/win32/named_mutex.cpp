#include "platform/named_mutex.h"

#include <windows.h>

#include <mutex>

namespace avex::platform {
namespace {

// Guards every NamedMutex's creation, so one instance may be used from
// several threads. Constant-initialised: nothing runs at library load.
std::mutex gCreateLock;

}  // namespace

struct NamedMutex::Handle {
  HANDLE mutex = nullptr;
};

NamedMutex::NamedMutex(std::string name) : name_(std::move(name)) {}

NamedMutex::~NamedMutex() {
  if (handle_) CloseHandle(handle_->mutex);
}

bool NamedMutex::EnsureCreated() {
  if (created_.load(std::memory_order_acquire) != nullptr) return true;
  std::lock_guard<std::mutex> guard(gCreateLock);
  if (handle_) return true;
  // No security attributes, not initially owned; opens the mutex when another
  // process created it already.
  HANDLE mutex = CreateMutexA(nullptr, FALSE, name_.c_str());
  if (mutex == nullptr) return false;
  handle_ = std::make_unique<Handle>();
  handle_->mutex = mutex;
  created_.store(handle_.get(), std::memory_order_release);
  return true;
}

NamedMutex::Wait NamedMutex::Acquire(uint32_t timeoutMs) {
  if (!EnsureCreated()) return Wait::Failed;
  switch (WaitForSingleObject(handle_->mutex, timeoutMs)) {
    case WAIT_OBJECT_0:
      return Wait::Acquired;
    case WAIT_ABANDONED:
      return Wait::Abandoned;
    case WAIT_TIMEOUT:
      return Wait::TimedOut;
    default:
      return Wait::Failed;
  }
}

void NamedMutex::Release() {
  Handle* handle = created_.load(std::memory_order_acquire);
  if (handle) ReleaseMutex(handle->mutex);
}

}  // namespace avex::platform
