// The plug-in as the proxy holds it for all its connections: the loaded
// library, the users it publishes, the event printer every scanning object
// logs to, and a count of the objects fabricated and released.
#pragma once

#include <atomic>
#include <string>

#include "host/plugin_library.h"
#include "host/proxy/event_printer.h"
#include "host/user_directory.h"

namespace avex::host::proxy {

struct PluginHost {
  explicit PluginHost(LineOutput* output) : events(output) {}

  const PluginExports& Exports() const { return library.Exports(); }

  PluginLibrary library;
  UserDirectory users;
  bool publishUsers = false;
  EventPrinter events;
  std::atomic<unsigned long> fabricated{0};
  std::atomic<unsigned long> released{0};
};

}  // namespace avex::host::proxy
