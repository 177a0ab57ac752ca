// Registry primitives over HKEY_LOCAL_MACHINE.
//
// Keys are paths below HKEY_LOCAL_MACHINE written with backslashes
// ("Software\\Tarn Software\\Aurivex for Corvane"). Key and value names compare
// without regard to ASCII case. Every call opens the key it needs and closes it
// again before returning; reads open with read rights only, writes create the
// key (and its missing parents) with rights to read, create subkeys and set
// values. All functions may be called from any thread; nothing here throws
// except std::bad_alloc.
//
// Names: empty names in a path are skipped ("A\\\\B\\" is "A\\B"); a path that
// starts with a backslash, or holds a key name longer than 255 characters,
// names no key (reads find nothing, writes fail); a value name longer than
// 16,383 characters cannot be written. Subkeys and values enumerate in the
// order Wine's registry keeps them: by name, every character lower-cased in
// code page 1252 and compared as its Unicode code point ("A_" before "AB",
// the euro sign 0x80 after every letter), a name before the longer names it
// starts. Case folding covers the code page's letters, as in Wine ("\xC9" and
// "\xE9" are one name). The contract tests pin all of this on both backends.
//
// The POSIX backend keeps the tree in the process. When the environment
// variable AVEX_REGISTRY names a file, the tree lives in that file instead (a
// REGEDIT4 text), re-read and re-written under a file lock by every call, so
// that several processes and several copies of this code in one process see
// one registry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace avex::platform::registry {

// The DWORD stored under `value`, or nothing when the key or the value is
// missing or the value is not a DWORD.
std::optional<uint32_t> QueryDword(const std::string& key, const std::string& value);

// The string stored under `value`, or nothing when the key or the value is
// missing, the value is not a string, or its data (with the terminating zero)
// needs more than `maxBytes` bytes.
std::optional<std::string> QueryString(const std::string& key, const std::string& value,
                                       size_t maxBytes = SIZE_MAX);

// QueryDword / QueryString with `fallback` for everything that cannot be read.
uint32_t ReadDword(const std::string& key, const std::string& value, uint32_t fallback);
std::string ReadString(const std::string& key, const std::string& value,
                       const std::string& fallback);

// Store a DWORD (REG_DWORD). False when the key cannot be created or the write fails.
bool WriteDword(const std::string& key, const std::string& value, uint32_t data);

// Store a string (REG_SZ); a null `data` deletes the value instead (deleting a
// missing value succeeds). False when the key cannot be opened or created or
// the write fails.
bool WriteString(const std::string& key, const std::string& value, const char* data);

// True when the key exists and can be opened for reading.
bool KeyExists(const std::string& key);

// Deletes the key with everything below it, subkeys depth-first. Deleting a
// missing key succeeds. False when some part could not be deleted.
bool DeleteKeyTree(const std::string& key);

// The names of the direct subkeys / the values of `key`, in the order the
// system enumerates them; empty when the key is missing. Names of any length
// the system allows are returned whole: a long name neither ends the
// enumeration nor hides the names after it.
std::vector<std::string> SubkeyNames(const std::string& key);
std::vector<std::string> ValueNames(const std::string& key);

}  // namespace avex::platform::registry
