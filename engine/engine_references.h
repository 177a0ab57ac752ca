// The process-wide references to the engine, owned by PluginApplication and
// shared by every scanning object of the process.
//
// Both pointers belong to the engine library; they are set only while it is
// initialised and only from successful engine calls. While `engine` is null no
// engine call may be made. Written by the bring-ups and the shutdown only
// (engine_setup.h), read by scanning objects without a lock.
#pragma once

#include "engine/engine_objects.h"
#include "engine/engine_paths.h"

namespace avex {

struct EngineReferences {
  EngineInterface* engine = nullptr;
  EngineConfig* config = nullptr;
  // The paths handed to the engine, kept as long as the engine may hold on to
  // the strings it was given.
  EnginePaths paths;
};

}  // namespace avex
