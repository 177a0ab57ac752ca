// The registry store of the plug-in's configuration.
//
// The configuration lives under HKEY_LOCAL_MACHINE\<kSettingsRootKey> in the
// version-3 layout; older layouts (versions 0 to 2) are converted on load.
// A save deletes the whole tree and writes it anew, so after any save the key
// holds nothing but the current layout. Missing or unreadable values are
// never errors: every read has a default.
#pragma once

#include <cstdint>

#include "config/plugin_configuration.h"
#include "config/shared_data_lock.h"

namespace avex {

inline constexpr char kSettingsRootKey[] = "Software\\Tarn Software\\Aurivex for Corvane";
inline constexpr char kHostSettingsKey[] =
    "Software\\Tarn Software\\Corvane\\Data Scanning Plugins\\Settings";
inline constexpr uint32_t kSettingsVersion = 3;

// Reads the stored configuration into `config`, converting an older layout
// first, under `lock` (taken and released here). The lists and the access
// rights are replaced by what is stored, so a second load in one process
// does not add them twice. Saves when default responses had to be added.
// False when the lock could not be had (nothing is read) or the load failed
// part way (what was read stays).
bool LoadSettings(PluginConfiguration* config, SharedDataLock* lock);

// Writes the whole configuration in the current layout. The caller holds
// the shared-data lock. Write failures are not reported.
void SaveSettings(const PluginConfiguration& config);

// Converts the layout of stored `version` (not 3) into the current one: reads
// what that layout holds into `config`, saves, and then empties the lists,
// the access rights and the responses of `config` for the load to read back.
void MigrateSettings(uint32_t version, PluginConfiguration* config);

// A level as the registry stores it: truncated toward zero; NaN and values
// above the DWORD range as 4294967295 (never blocks), negative values as 0.
uint32_t StoredLevel(float level);

}  // namespace avex
