// What the proxy host hands the plug-in: its event logger and its user and
// group records. The plug-in and the host harness both build on these
// declarations; their layout is the host's and must not change.
#pragma once

#include <cstddef>
#include <cstdint>

namespace avex {

// The host's event logger, called by position: one operation, no destructor
// in the table. The result is the host's and is ignored.
class HostLogger {
 public:
  // `one` is always 1; `kind` 0 for decisions, 1 for configuration changes;
  // `line` and `source` are NUL-terminated ANSI texts.
  virtual uint32_t WriteEvent(uint32_t one, uint32_t kind, const char* line,
                              const char* source) = 0;

 protected:
  ~HostLogger() = default;
};

// A user or group as the host publishes it (28 bytes on the 32-bit target).
// Member records have this same layout; the plug-in reads them during the
// call that hands them over only.
struct HostUserRecord {
  const char* name;
  const char* description;
  uint32_t isGroup;
  uint32_t hostFlag;
  uint32_t hostValue;
  uint32_t memberCount;
  HostUserRecord** members;
};

// What SetUserDatabase receives: a count and an array of that many record pointers.
struct HostUserDatabase {
  uint32_t count;
  HostUserRecord** records;
};

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(HostUserRecord) == 28, "host user record is 28 bytes");
static_assert(offsetof(HostUserRecord, name) == 0);
static_assert(offsetof(HostUserRecord, description) == 4);
static_assert(offsetof(HostUserRecord, isGroup) == 8);
static_assert(offsetof(HostUserRecord, hostFlag) == 12);
static_assert(offsetof(HostUserRecord, hostValue) == 16);
static_assert(offsetof(HostUserRecord, memberCount) == 20);
static_assert(offsetof(HostUserRecord, members) == 24);
static_assert(sizeof(HostUserDatabase) == 8);
#endif

}  // namespace avex
