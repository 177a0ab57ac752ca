// The scanning object as a foreign host sees it: a pointer to a table of
// thiscall function pointers, one slot per operation in the host's order.
// The harness calls through this table, never through the plug-in's own
// class, so its runs prove the layout the real host relies on.
#pragma once

#include <cstdint>

#include "platform/calling_conventions.h"
#include "common/host_interfaces.h"

namespace avex::host {

struct ScanningObjectTable {
  uint32_t(AVEX_THISCALL* SetUserDatabase)(void* self, const HostUserDatabase* users);
  uint32_t(AVEX_THISCALL* GetConfiguration)(void* self, void* buffer, uint32_t* size);
  uint32_t(AVEX_THISCALL* GetPluginInfo)(void* self, void* buffer);
  void(AVEX_THISCALL* SetNoSaveFlag)(void* self, uint32_t value);
  uint32_t(AVEX_THISCALL* GetNoSaveFlag)(void* self);
  uint32_t(AVEX_THISCALL* SetHostFlag)(void* self, uint32_t value);
  uint32_t(AVEX_THISCALL* SetState)(void* self, uint32_t state);
  uint32_t(AVEX_THISCALL* SetSource)(void* self, const char* url, const char* contentType,
                                     uint32_t clientAddress, const char* userName);
  uint32_t(AVEX_THISCALL* PutData)(void* self, const void* data, uint32_t count);
  uint32_t(AVEX_THISCALL* NotSupportedRecorded)(void* self, uint32_t first, uint32_t second);
  uint32_t(AVEX_THISCALL* NotSupportedUnrecorded)(void* self, uint32_t first, uint32_t second);
  uint32_t(AVEX_THISCALL* CheckData)(void* self);
  uint32_t(AVEX_THISCALL* GetResponse)(void* self, uint32_t type, char* buffer, uint32_t* size);
  uint32_t(AVEX_THISCALL* GetLastResult)(void* self);
  void(AVEX_THISCALL* SetLogger)(void* self, HostLogger* logger);
  uint32_t(AVEX_THISCALL* ShowConfiguration)(void* self, void* window);
  uint32_t(AVEX_THISCALL* ApplyConfiguration)(void* self, const void* buffer, uint32_t count);
  uint32_t(AVEX_THISCALL* GetInfo)(void* self, uint32_t query, void* result, uint32_t size);
  void(AVEX_THISCALL* Reset)(void* self, uint32_t active);
  uint8_t(AVEX_THISCALL* IsActive)(void* self);
  uint8_t(AVEX_THISCALL* QueryOption)(void* self);
  void(AVEX_THISCALL* Destroy)(void* self);
};

static_assert(sizeof(ScanningObjectTable) == 22 * sizeof(void*), "22 operations");

// The first word of every scanning object points at its table.
inline const ScanningObjectTable& TableOf(void* object) {
  return **static_cast<const ScanningObjectTable* const*>(object);
}

}  // namespace avex::host
