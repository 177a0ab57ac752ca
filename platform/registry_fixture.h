// Loading registry test fixtures: REGEDIT4 texts (reg_file.h), the same files
// that `wine regedit /S` imports.
//
// Both backends parse the text with platform/reg_file and apply it through
// their own registry (Win32: the Reg* API under HKEY_LOCAL_MACHINE, with the
// value types as written; POSIX: the in-process tree, or the AVEX_REGISTRY
// file, in one locked step). Keys outside HKEY_LOCAL_MACHINE are skipped. Any
// thread. For tests and tools only; the plug-in never imports.
#pragma once

#include <string>

namespace avex::platform::registry {

// Applies the file at `path`. False when it cannot be read, has no REGEDIT4
// header, or some operation failed (the others are still applied).
bool ImportRegFile(const std::string& path);

// The same for a text already in memory.
bool ImportRegText(const std::string& text);

}  // namespace avex::platform::registry
