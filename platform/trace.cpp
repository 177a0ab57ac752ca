#include "platform/trace.h"

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "platform/file_append.h"
#include "platform/thread_id.h"

namespace avex::platform {

namespace {

enum TargetState : int { kTargetUnread, kTargetNone, kTargetFile };

// Written under gTargetLock; the path before the state, which publishes it.
std::mutex gTargetLock;
std::string gTargetPath;
std::atomic<int> gTargetState{kTargetUnread};

void ReadTarget() {
  const int savedErrno = errno;
  const char* path = std::getenv("AVEX_TRACE");
  gTargetPath = path != nullptr ? path : "";
  gTargetState.store(gTargetPath.empty() ? kTargetNone : kTargetFile, std::memory_order_release);
  errno = savedErrno;
}

// The file texts go to, or null.
const char* TargetPath() {
  int state = gTargetState.load(std::memory_order_acquire);
  if (state == kTargetUnread) {
    std::lock_guard<std::mutex> lock(gTargetLock);
    if (gTargetState.load(std::memory_order_relaxed) == kTargetUnread) ReadTarget();
    state = gTargetState.load(std::memory_order_relaxed);
  }
  return state == kTargetFile ? gTargetPath.c_str() : nullptr;
}

}  // namespace

bool TraceEnabled() { return TargetPath() != nullptr; }

void ReloadTraceTarget() {
  std::lock_guard<std::mutex> lock(gTargetLock);
  ReadTarget();
}

void Trace(const void* object, const char* format, ...) {
  const char* path = TargetPath();
  if (path == nullptr || format == nullptr) return;
  int savedErrno = errno;

  // "[thread id] object text": the object in hexadecimal, as wide as a pointer.
  char prefix[48];
  int prefixLength = std::snprintf(prefix, sizeof prefix, "[%lu] %0*llX ",
                                   static_cast<unsigned long>(CurrentThreadId()),
                                   static_cast<int>(2 * sizeof(void*)),
                                   static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(object)));
  if (prefixLength < 0 || prefixLength >= static_cast<int>(sizeof prefix)) prefixLength = 0;

  char stackBuffer[1024];
  char* line = stackBuffer;
  size_t capacity = sizeof stackBuffer;
  std::memcpy(line, prefix, static_cast<size_t>(prefixLength));

  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int textLength = std::vsnprintf(line + prefixLength, capacity - prefixLength, format, args);
  va_end(args);
  if (textLength >= 0 && static_cast<size_t>(prefixLength + textLength) >= capacity) {
    // Longer than the stack buffer: format again into the heap; without
    // memory the cut line is written instead.
    size_t needed = static_cast<size_t>(prefixLength) + static_cast<size_t>(textLength) + 1;
    if (char* heap = static_cast<char*>(std::malloc(needed))) {
      std::memcpy(heap, prefix, static_cast<size_t>(prefixLength));
      std::vsnprintf(heap + prefixLength, needed - prefixLength, format, copy);
      line = heap;
      capacity = needed;
    } else {
      textLength = static_cast<int>(capacity) - prefixLength - 1;
    }
  }
  va_end(copy);

  // One write for the whole line, so lines of threads and processes never mix.
  if (textLength >= 0) AppendToFile(path, line, static_cast<size_t>(prefixLength + textLength));
  if (line != stackBuffer) std::free(line);
  errno = savedErrno;
}

}  // namespace avex::platform
