// Appending one block of bytes to a file as one write (internal to platform/).
//
// The system places the whole block at the end of the file at once, so blocks
// that threads or processes append at the same time never overwrite or split
// one another (POSIX: O_APPEND; Win32: a handle opened for appending only,
// since the C runtime's append mode seeks and writes in two steps). The file
// is created when missing. False on any failure; sets no error state the
// caller could see (errno and the Win32 last error are kept). Any thread.
#pragma once

#include <cstddef>

namespace avex::platform {

bool AppendToFile(const char* path, const void* data, size_t size);

}  // namespace avex::platform
