// The real plug-in as the benchmarks drive it: AVex.dll loaded from the
// benchmark's own folder, versioned and started in the engine process's mode,
// and the registry keys its start created deleted again at the end unless
// they were there before.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "config/settings_store.h"
#include "host/plugin_library.h"
#include "platform/registry.h"
#include "plugin/plugin_names.h"

namespace avex::bench {

// The keys the plug-in creates when it starts, outermost first.
inline const char* const kKeysThePluginCreates[] = {"Software\\Tarn Software", kSettingsRootKey,
                                                     "SOFTWARE\\Orlo Ltd", kVendorKey};

class LoadedPlugin {
 public:
  LoadedPlugin() {
    for (const char* key : kKeysThePluginCreates) keysBefore_.push_back(platform::registry::KeyExists(key));
  }

  ~LoadedPlugin() {
    if (library_.Loaded()) {
      library_.Exports().PlugStop();
      library_.Close();
    }
    for (size_t i = 0; i < keysBefore_.size(); ++i) {
      if (!keysBefore_[i]) platform::registry::DeleteKeyTree(kKeysThePluginCreates[i]);
    }
  }

  LoadedPlugin(const LoadedPlugin&) = delete;
  LoadedPlugin& operator=(const LoadedPlugin&) = delete;

  // Loads AVex.dll from the folder of this program and starts it (the
  // engine too when `withEngine`); false, with the reason printed, when any
  // step fails.
  bool Start(bool withEngine) {
    std::string error;
    if (!library_.Load(host::PluginBesideThisProgram(), &error)) {
      std::printf("%s\n", error.c_str());
      return false;
    }
    const int32_t startType = withEngine ? 0 : 1;
    if (library_.Start(startType, 0)) return true;
    std::printf("PlugStart(%d, 0) failed\n", static_cast<int>(startType));
    return false;
  }

  // True when the plug-in's settings were stored before this object was
  // made, so that its start did not find an empty registry.
  bool SettingsStoredBefore() const { return keysBefore_[1]; }

  // A new scanning object; the plug-in destroys it at Release.
  void* Fabricate() { return library_.Exports().PlugFabricateInterface(); }
  void Release(void* object) { library_.Exports().PlugReleaseInterface(object); }

 private:
  std::vector<bool> keysBefore_;
  host::PluginLibrary library_;
};

}  // namespace avex::bench
