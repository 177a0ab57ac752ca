#include "host/plugin_exports.h"

namespace avex::host {

namespace {

template <typename Function>
void Resolve(platform::LibraryHandle library, const char* name, Function* slot, std::string* missing) {
  uint32_t error = 0;
  *slot = reinterpret_cast<Function>(platform::LibrarySymbol(library, name, &error));
  if (*slot == nullptr) {
    if (!missing->empty()) *missing += ' ';
    *missing += name;
  }
}

}  // namespace

bool ResolvePluginExports(platform::LibraryHandle library, PluginExports* exports,
                          std::string* missing) {
  missing->clear();
  Resolve(library, "PlugApiVersion", &exports->PlugApiVersion, missing);
  Resolve(library, "PlugMode", &exports->PlugMode, missing);
  Resolve(library, "PlugDisplayName", &exports->PlugDisplayName, missing);
  Resolve(library, "PlugSupportsService", &exports->PlugSupportsService, missing);
  Resolve(library, "PlugStart", &exports->PlugStart, missing);
  Resolve(library, "PlugStop", &exports->PlugStop, missing);
  Resolve(library, "PlugFabricateInterface", &exports->PlugFabricateInterface, missing);
  Resolve(library, "PlugReleaseInterface", &exports->PlugReleaseInterface, missing);
  return missing->empty();
}

}  // namespace avex::host
