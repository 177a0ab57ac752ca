#include "platform/thread_id.h"

#include <sys/syscall.h>
#include <unistd.h>

namespace avex::platform {

uint32_t CurrentThreadId() {
  // The kernel's thread id, unique system-wide while the thread lives, as a
  // Windows thread id is (pthread_self is neither small nor system-wide).
  return static_cast<uint32_t>(syscall(SYS_gettid));
}

}  // namespace avex::platform
