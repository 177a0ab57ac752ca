// The plug-in information record the host copies as a whole: 534 bytes,
// integers little-endian, texts NUL-terminated and zero-padded.
#pragma once

#include <cstddef>
#include <cstdint>

namespace avex {

#pragma pack(push, 1)
struct PluginInfoRecord {
  uint32_t interfaceVersion;  // 0x00010000
  uint32_t one1;              // 1
  uint32_t one2;              // 1
  uint32_t one3;              // 1
  uint32_t reserved;          // 0
  char displayName[257];
  char companyName[257];
};
#pragma pack(pop)

static_assert(sizeof(PluginInfoRecord) == 534, "the host copies 534 bytes");
static_assert(offsetof(PluginInfoRecord, interfaceVersion) == 0);
static_assert(offsetof(PluginInfoRecord, one1) == 4);
static_assert(offsetof(PluginInfoRecord, one2) == 8);
static_assert(offsetof(PluginInfoRecord, one3) == 12);
static_assert(offsetof(PluginInfoRecord, reserved) == 16);
static_assert(offsetof(PluginInfoRecord, displayName) == 20);
static_assert(offsetof(PluginInfoRecord, companyName) == 277);

// The record as this plug-in fills it.
PluginInfoRecord MakePluginInfoRecord();

}  // namespace avex
