// Everything the engine has been told through its configuration object.
//
// The stand-in acts on the root, the cache and static list paths and their
// switches; the other settings are kept as given, so that the engine holds
// the configuration a real one would, and reach the engine's answers only
// through the call journal.
#pragma once

#include <cstdint>
#include <string>

namespace avex::csdk {

struct EngineSettings {
  std::string rootDirectory;
  bool useSafeSurf = false;
  bool useRsaci = false;
  bool useImageHandler = false;
  bool useUrlCache = false;
  std::string urlCachePath;
  // On unless told otherwise: the management console never sets it and
  // still expects the static list to answer.
  bool useStaticList = true;
  bool useOemStaticList = false;
  bool staticListAutomaticUpdate = false;
  std::string staticListUpdateServer;
  std::string staticListUpdatePath;
  int32_t staticListUpdateInterval = 1440;
  std::string staticListPath;
};

}  // namespace avex::csdk
