// The engine's configuration object: stores every setting it is given.
//
// Booleans count by their low byte only. Paths and the root may use either
// separator; they, and the update server, must not be null, and the paths
// and the root must not be empty (the update server may be: no server).
// Changing the root, the cache path or the static list path of an
// initialised engine reloads its data. The update interval is in minutes,
// at least 1. Owned by the engine object; any thread.
#pragma once

#include <memory>

#include "csdk/engine_state.h"
#include "engine/engine_objects.h"

namespace avex::csdk {

class Configuration final : public EngineConfig {
 public:
  explicit Configuration(std::shared_ptr<EngineState> state) : state_(std::move(state)) {}

  uint32_t setCSDKRootDir(const char* path) override;
  uint32_t setUseSafeSurf(uint32_t use) override;
  uint32_t setUseRsaci(uint32_t use) override;
  uint32_t setUseImageHandler(uint32_t use) override;
  uint32_t setUseUrlClassificationCache(uint32_t use) override;
  uint32_t setUrlClassificationCachePath(const char* path) override;
  uint32_t setUseStaticList(uint32_t use) override;
  uint32_t setUseOEMStaticList(uint32_t use) override;
  uint32_t setStaticListAutomaticUpdateStatus(uint32_t use) override;
  uint32_t setStaticListUpdateServer(const char* host) override;
  uint32_t setStaticListUpdatePath(const char* path) override;
  uint32_t setStaticListAutomaticUpdateInterval(int32_t minutes) override;
  uint32_t setStaticListPath(const char* path) override;

 private:
  uint32_t SetFlag(const char* operation, uint32_t use, bool EngineSettings::*flag);
  uint32_t SetPath(const char* operation, const char* path, std::string EngineSettings::*setting,
                   bool namesData);

  std::shared_ptr<EngineState> state_;
};

}  // namespace avex::csdk
