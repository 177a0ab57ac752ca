// The registry store of the plug-in's configuration.
//
// The configuration lives under HKEY_LOCAL_MACHINE\<kSettingsRootKey> in the
// version-3 layout; older layouts (versions 0 to 2) are converted on load.
// A save writes the whole tree anew beside the root and then puts it in the
// root's place, so after any save the key holds nothing but the current
// layout, and a process killed during a save leaves the old configuration or
// the new one, whole, for the next load (which finishes an interrupted
// replacement first). A stored tree of a version this code does not know is
// moved aside to a backup key before a load replaces it. Missing or
// unreadable values are never errors: every read has a default; a list value
// that is not a DWORD is skipped.
#pragma once

#include <cstdint>
#include <string>

#include "config/plugin_configuration.h"
#include "config/shared_data_lock.h"

namespace avex {

inline constexpr char kSettingsRootKey[] = "Software\\Tarn Software\\Aurivex for Corvane";
inline constexpr char kHostSettingsKey[] =
    "Software\\Tarn Software\\Corvane\\Data Scanning Plugins\\Settings";
inline constexpr uint32_t kSettingsVersion = 3;
// A save writes its tree under the root's name with this suffix (a sibling
// of the root) before it takes the root's place.
inline constexpr char kSettingsStagingSuffix[] = ".saving";

// Reads the stored configuration into `config`, converting an older layout
// first, under `lock` (taken and released here). The lists and the access
// rights are replaced by what is stored, so a second load in one process
// does not add them twice. Saves when default responses had to be added.
// False when the lock could not be had (nothing is read) or the load failed
// part way (what was read stays).
bool LoadSettings(PluginConfiguration* config, SharedDataLock* lock);

// Writes the whole configuration in the current layout. The caller holds
// the shared-data lock. Write failures are not reported.
void SaveSettings(const PluginConfiguration& config, uint64_t order = 0);

// Converts the layout of stored `version` (not 3) into the current one: reads
// what that layout holds into `config`, saves, and then empties the lists,
// the access rights and the responses of `config` for the load to read back.
void MigrateSettings(uint32_t version, PluginConfiguration* config);

// The first text of `config` (a list entry or a response description) that
// the layout cannot store (see lists/storable_text.h), described for the
// trace; empty when there is none.
std::string FirstUnstorableText(const PluginConfiguration& config);

// A level as the registry stores it: truncated toward zero; NaN and values
// above the DWORD range as 4294967295 (never blocks), negative values as 0.
uint32_t StoredLevel(float level);

}  // namespace avex
