// LiveConfiguration: the configuration a process works with, as an immutable
// snapshot held by reference count.
//
// Readers take a reference (Current) and decide on it for as long as they
// hold it; a change builds the next snapshot aside and publishes it whole
// (Publish), so no reader ever sees a configuration half replaced, and none
// holds a lock while a large one is built or saved. Whoever drops the last
// reference to a snapshot frees it: callers drop theirs outside the locks
// they hold, so that freeing a large configuration holds up nobody.
//
// Threads: every function may be called from any thread at any time.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "config/plugin_configuration.h"

namespace avex {

using ConfigurationSnapshot = std::shared_ptr<const PluginConfiguration>;

class LiveConfiguration {
 public:
  // Starts with a snapshot of the defaults.
  LiveConfiguration();
  LiveConfiguration(const LiveConfiguration&) = delete;
  LiveConfiguration& operator=(const LiveConfiguration&) = delete;

  // The snapshot in effect now; never null.
  ConfigurationSnapshot Current() const;

  // Makes `next` (not null) the snapshot in effect and answers its place in
  // the order of publication (1 for the first publication, then 2, ...).
  // The snapshot it replaces is handed back, so that the caller lets it go
  // after the locks it holds.
  uint64_t Publish(ConfigurationSnapshot next, ConfigurationSnapshot* replaced);

 private:
  // Guards only the pointer and the count: held for a copy or a swap.
  mutable std::mutex mutex_;
  ConfigurationSnapshot current_;
  uint64_t publications_ = 0;
};

}  // namespace avex
