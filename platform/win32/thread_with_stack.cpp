#include "platform/thread_with_stack.h"

#include <windows.h>

namespace avex::platform {

namespace {

DWORD WINAPI RunWork(void* work) {
  (*static_cast<const std::function<void()>*>(work))();
  return 0;
}

}  // namespace

bool RunOnThreadWithStack(size_t stackBytes, const std::function<void()>& work) {
  // Without the flag the size is only what is committed at first, and the
  // reservation is the program's default.
  HANDLE thread = CreateThread(nullptr, stackBytes, RunWork, const_cast<std::function<void()>*>(&work),
                               STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (thread == nullptr) return false;
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  return true;
}

}  // namespace avex::platform
