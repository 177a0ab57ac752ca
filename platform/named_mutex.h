// A system-wide named mutex with a timed wait.
//
// The mutex is created (or opened, when another process created it) on the
// first Acquire, never at construction, so a global instance costs nothing at
// library load. It is recursive for the thread that holds it: every successful
// Acquire needs one Release. A holder that ends without releasing leaves the
// mutex abandoned; the next waiter acquires it and is told so. One instance may
// be used from several threads.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace avex::platform {

class NamedMutex {
 public:
  enum class Wait {
    Acquired,   // the caller now holds the mutex
    Abandoned,  // the caller now holds the mutex; its former holder ended without releasing it
    TimedOut,   // not acquired within the timeout
    Failed,     // the mutex could not be created or waited for
  };

  explicit NamedMutex(std::string name);
  ~NamedMutex();  // closes the system object; does not release a held mutex
  NamedMutex(const NamedMutex&) = delete;
  NamedMutex& operator=(const NamedMutex&) = delete;

  // Waits at most `timeoutMs` milliseconds for the mutex (0 only tries;
  // 0xFFFFFFFF, INFINITE, waits without limit).
  Wait Acquire(uint32_t timeoutMs);

  // Releases one Acquire of the calling thread; does nothing when the mutex
  // was never created.
  void Release();

  const std::string& Name() const { return name_; }

 private:
  struct Handle;
  bool EnsureCreated();

  std::string name_;
  std::unique_ptr<Handle> handle_;
  // handle_ once it is made, published after it: every later Acquire and
  // Release reads this and takes no lock of the process besides the mutex.
  std::atomic<Handle*> created_{nullptr};
};

}  // namespace avex::platform
