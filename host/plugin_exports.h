// The plug-in's eight entry points, resolved by name from a loaded library.
#pragma once

#include <cstdint>
#include <string>

#include "platform/modules.h"

namespace avex::host {

struct PluginExports {
  uint32_t (*PlugApiVersion)(uint32_t hostVersion) = nullptr;
  uint32_t (*PlugMode)() = nullptr;
  const char* (*PlugDisplayName)() = nullptr;
  bool (*PlugSupportsService)(int32_t service) = nullptr;
  int32_t (*PlugStart)(int32_t startType, int32_t consoleFlag) = nullptr;
  int32_t (*PlugStop)() = nullptr;
  void* (*PlugFabricateInterface)() = nullptr;
  int32_t (*PlugReleaseInterface)(void* object) = nullptr;
};

// Resolves every entry point; `missing` receives the names not found, space-separated.
bool ResolvePluginExports(platform::LibraryHandle library, PluginExports* exports,
                          std::string* missing);

}  // namespace avex::host
