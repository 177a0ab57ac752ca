// The registry store of the plug-in's configuration.
//
// The configuration lives under HKEY_LOCAL_MACHINE\<kSettingsRootKey> in the
// version-3 layout; older layouts (versions 0 to 2) are converted on load.
// A save writes only what differs between the tree the configuration gives
// (config/settings_image.h) and the stored one, through a journal beside the
// root (config/settings_journal.h), so after any save the key holds nothing
// but the current layout and the stamp of that save, and a process killed
// during a save leaves the old configuration or the new one, whole, for the
// next load or save (which finishes an interrupted save first). A stored tree
// of a version this code does not know is moved aside to a backup key before
// a load replaces it. Missing or unreadable values are never errors: every
// read has a default; a list value that is not a DWORD is skipped.
//
// Loads and saves of every thread and process are ordered by the settings
// store lock (config/settings_store_lock.h), which both take themselves.
#pragma once

#include <cstdint>
#include <string>

#include "config/plugin_configuration.h"
#include "config/settings_image.h"
#include "config/shared_data_lock.h"

namespace avex {

inline constexpr char kSettingsRootKey[] = "Software\\Tarn Software\\Aurivex for Corvane";
inline constexpr char kHostSettingsKey[] =
    "Software\\Tarn Software\\Corvane\\Data Scanning Plugins\\Settings";
// An older build saved its tree under the root's name with this suffix (a
// sibling of the root) before it took the root's place; a complete one that
// it left is still finished.
inline constexpr char kSettingsStagingSuffix[] = ".saving";
// The DWORD in the root that tells which save wrote the tree last; the only
// value beside the version-3 layout.
inline constexpr char kSettingsStampValue[] = "SaveStamp";

// Reads the stored configuration into `config`, converting an older layout
// first, under `lock` and then the settings store lock (both taken and
// released here, in that order). The lists and the access rights are
// replaced by what is stored, so a second load in one process does not add
// them twice. Saves when default responses had to be added. False when a
// lock could not be had (nothing is read) or the load failed part way (what
// was read stays).
bool LoadSettings(PluginConfiguration* config, SharedDataLock* lock);

// Writes the configuration in the current layout, under the settings store
// lock (taken here; the caller need not, and must not, hold the shared-data
// lock for it). Only what differs from the stored tree is written; an
// unchanged configuration writes nothing. The stored tree is known from this
// copy's last save while the root still holds that save's stamp, and read
// whole otherwise. A non-zero `order` that is not above the highest order
// this copy of the code has saved skips the save (an older snapshot never
// replaces a newer one); 0 always saves. A save whose lock wait times out is
// skipped. Either skip, and write failures, are traced, not reported. Any
// thread.
void SaveSettings(const PluginConfiguration& config, uint64_t order = 0);

// Converts the layout of stored `version` (not 3) into the current one: reads
// what that layout holds into `config`, saves, and then empties the lists,
// the access rights and the responses of `config` for the load to read back.
// Called by LoadSettings, under its locks.
void MigrateSettings(uint32_t version, PluginConfiguration* config);

// The first text of `config` (a list entry or a response description) that
// the layout cannot store (see lists/storable_text.h), described for the
// trace; empty when there is none.
std::string FirstUnstorableText(const PluginConfiguration& config);

}  // namespace avex
