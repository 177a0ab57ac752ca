#include "platform/trace.h"

#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/file_append.h"
#include "platform/thread_id.h"

namespace avex::platform {

void Trace(const void* object, const char* format, ...) {
  const char* path = std::getenv("AVEX_TRACE");
  if (path == nullptr || *path == '\0' || format == nullptr) return;
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
