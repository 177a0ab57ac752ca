#include <utility>
#include <vector>

#include "platform/registry.h"

namespace avex::platform::registry {

bool CopyKeyTree(const std::string& from, const std::string& to) {
  Batch batch;  // one read and one write of a registry file, not one per value
  if (!KeyExists(from)) return false;
  bool complete = true;
  // Key by key, breadth first; each key is open only while it is copied.
  std::vector<std::pair<std::string, std::string>> pending{{from, to}};
  while (!pending.empty()) {
    const auto [source, target] = std::move(pending.back());
    pending.pop_back();
    const RegistryKey reading = RegistryKey::ForReading(source);
    RegistryKey writing = RegistryKey::ForWriting(target);
    if (!reading.IsOpen() || !writing.IsOpen()) {
      complete = false;
      continue;
    }
    for (const StoredValue& value : reading.Values()) complete = writing.Write(value) && complete;
    for (const std::string& name : reading.SubkeyNames()) pending.emplace_back(source + "\\" + name, target + "\\" + name);
  }
  return complete;
}

}  // namespace avex::platform::registry
