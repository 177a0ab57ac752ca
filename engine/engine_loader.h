// EngineLoader: the four operations through which the plug-in loads the
// engine library and reaches its one EngineInterface.
//
// EngineLibrary is the real one; the configuration sequences take an
// EngineLoader so that tests can run them against an in-process engine.
// Every operation answers a 32-bit status, 0 meaning success.
#pragma once

#include <cstdint>

#include "engine/engine_objects.h"

namespace avex {

class EngineLoader {
 public:
  virtual ~EngineLoader() = default;

  // Loads the library `fileName` from `directory` (either may be null: the
  // one stored by an earlier call is used) and runs its `init`. 0 when the
  // engine is initialised; EngineAlreadyInitialised when it already was.
  virtual uint32_t EngineInitCSDK(const char* directory, const char* fileName) = 0;

  // Runs `uninit` and unloads the library; its result, or
  // EngineNotInitialised when `init` never succeeded.
  virtual uint32_t UnloadEngine() = 0;

  // The library's GetCSDKInterface and FreeCSDKInterface while initialised,
  // otherwise EngineNotInitialised. `engine` must not be null.
  virtual uint32_t GetCSDKInterface(EngineInterface** engine) = 0;
  virtual uint32_t FreeCSDKInterface() = 0;
};

}  // namespace avex
