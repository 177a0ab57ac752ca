// The eight entry points the host calls by name (cdecl, undecorated). None
// lets an exception reach the host.
#include <cstdint>

#include "platform/calling_conventions.h"
#include "plugin/plugin_application.h"
#include "plugin/scanning_interface.h"

using avex::TheApplication;

extern "C" {

AVEX_EXPORT uint32_t PlugApiVersion(uint32_t hostVersion) {
  return TheApplication().SetApiVersion(hostVersion);
}

AVEX_EXPORT uint32_t PlugMode() { return 2; }

AVEX_EXPORT const char* PlugDisplayName() { return TheApplication().DisplayName(); }

AVEX_EXPORT bool PlugSupportsService(int32_t service) {
  return TheApplication().SupportsService(service);
}

AVEX_EXPORT int32_t PlugStart(int32_t startType, int32_t consoleFlag) {
  try {
    return TheApplication().Start(startType, consoleFlag);
  } catch (...) {
    return 0;
  }
}

AVEX_EXPORT int32_t PlugStop() {
  try {
    return TheApplication().Stop();
  } catch (...) {
    return 1;
  }
}

AVEX_EXPORT void* PlugFabricateInterface() {
  if (!TheApplication().VersionAccepted()) return nullptr;
  try {
    return static_cast<avex::ScanningInterfaceBase*>(new avex::ScanningInterface(TheApplication()));
  } catch (...) {
    return nullptr;
  }
}

AVEX_EXPORT int32_t PlugReleaseInterface(void* object) {
  return TheApplication().ReleaseInterface(static_cast<avex::ScanningInterfaceBase*>(object));
}

}  // extern "C"
