// The diagnostic trace: printf-style texts from the decision points.
//
// Output is discarded unless the environment variable AVEX_TRACE names a file;
// then every text is appended to it, one call a write, prefixed with the
// thread id and the object it concerns: "[1234] 0000561F2A3B4C50 text" (the
// object in hexadecimal, as wide as a pointer). Any thread; never fails, and
// leaves errno and the Win32 last error as they were.
//
// The variable is read once, at the first text of the module, not on every
// call: a look-up of the environment costs a request more than the rest of
// its work when the trace is off, as it is in the field.
#pragma once

namespace avex::platform {

// True when texts go to a file, so that a caller may skip building a text
// that only the trace would show. Any thread.
bool TraceEnabled();

// Reads AVEX_TRACE again, for a process that changes it after its first
// text (a test). Not while other threads trace.
void ReloadTraceTarget();

void Trace(const void* object, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

}  // namespace avex::platform
