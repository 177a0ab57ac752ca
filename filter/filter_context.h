// What the filter functions read besides the request's own state: the live
// configuration (shared: read under the shared-data lock where the callers
// say so), the scanning object's settings snapshot, whether the library runs
// in the management console, and the process's engine (null when none).
#pragma once

#include "config/filter_settings.h"
#include "config/plugin_configuration.h"
#include "config/shared_data_lock.h"
#include "engine/engine_objects.h"

namespace avex {

struct FilterContext {
  PluginConfiguration& live;
  SharedDataLock& lock;
  const FilterSettings& snapshot;
  bool consoleMode;
  EngineInterface* engine;

  // The lists the list stage reads: the live ones in the engine process, the
  // snapshot's in the console (whose scanning objects carry full copies).
  const ManualLists& Lists() const { return consoleMode ? snapshot.lists : live.settings.lists; }

  // Whether a category found by a list stage blocks: by the live switches in
  // the engine process; in the console by the snapshot's, which the Test URL
  // page fills with the switches as edited and not yet applied.
  const FilterSettings& CategorySwitches() const { return consoleMode ? snapshot : live.settings; }
};

}  // namespace avex
