// Loading registry test fixtures: REGEDIT4 texts (reg_file.h), the same files
// that `wine regedit /S` imports.
//
// The text is parsed with platform/reg_file and applied through RegistryKey,
// in one Batch (the POSIX file backend: one locked read and write), with the
// value types as written. Keys outside HKEY_LOCAL_MACHINE are skipped. Any
// thread. For tests and tools only: it is a library of its own
// (avex_registry_fixture) that the plug-in does not link.
#pragma once

#include <string>

namespace avex::platform::registry {

// Applies the file at `path`. False when it cannot be read, has no REGEDIT4
// header, or some operation failed (the others are still applied).
bool ImportRegFile(const std::string& path);

// The same for a text already in memory.
bool ImportRegText(const std::string& text);

}  // namespace avex::platform::registry
