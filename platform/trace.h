// The diagnostic trace: printf-style texts from the decision points.
//
// Output is discarded unless the environment variable AVEX_TRACE names a file;
// then every text is appended to it, one call a write, prefixed with the
// thread id and the object it concerns: "[1234] 0000561F2A3B4C50 text" (the
// object in hexadecimal, as wide as a pointer). Any thread; never fails, and
// leaves errno and the Win32 last error as they were.
#pragma once

namespace avex::platform {

void Trace(const void* object, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

}  // namespace avex::platform
