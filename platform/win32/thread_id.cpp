#include "platform/thread_id.h"

#include <windows.h>

namespace avex::platform {

uint32_t CurrentThreadId() { return GetCurrentThreadId(); }

}  // namespace avex::platform
