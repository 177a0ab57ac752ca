// What the filter functions read besides the request's own state: the live
// configuration (a request takes its snapshot where it takes the shared-data
// lock, and decides on that snapshot), the scanning object's settings
// snapshot, whether the library runs in the management console, and the
// process's engine (null when none).
#pragma once

#include "config/filter_settings.h"
#include "config/live_configuration.h"
#include "config/shared_data_lock.h"
#include "engine/engine_objects.h"

namespace avex {

struct FilterContext {
  const LiveConfiguration& live;
  SharedDataLock& lock;
  const FilterSettings& snapshot;
  bool consoleMode;
  EngineInterface* engine;

  // The lists the list stage reads: the live ones in the engine process, the
  // snapshot's in the console (whose scanning objects carry full copies).
  const ManualLists& Lists(const PluginConfiguration& config) const {
    return consoleMode ? snapshot.lists : config.settings.lists;
  }

  // Whether a category found by a list stage blocks: by the live switches in
  // the engine process; in the console by the snapshot's, which the Test URL
  // page fills with the switches as edited and not yet applied.
  const FilterSettings& CategorySwitches(const PluginConfiguration& config) const {
    return consoleMode ? snapshot : config.settings;
  }
};

}  // namespace avex
