// Registry primitives over HKEY_LOCAL_MACHINE.
//
// Keys are paths below HKEY_LOCAL_MACHINE written with backslashes
// ("Software\\Tarn Software\\Aurivex for Corvane"). Key and value names compare
// without regard to ASCII case. Every plain function opens the key it needs and
// closes it again before returning; reads open with read rights only, writes
// create the key (and its missing parents) with rights to read, create subkeys
// and set values. A RegistryKey keeps one key open for many reads or writes in
// a row (a list of 100,000 values is one open, not 100,000). All functions may
// be called from any thread; nothing here throws except std::bad_alloc.
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
// one registry. A new text replaces the file whole (written beside it, then
// renamed over it), so a process killed while writing leaves the old one.
// Within a Batch the file is read once and written once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace avex::platform::registry {

// The longest key name and value name the system stores, in characters.
inline constexpr size_t kMaxKeyName = 255;
inline constexpr size_t kMaxValueName = 16383;

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

// Copies every value and subkey below `from` into `to` (created when
// missing), values with their types and data; what `to` held already stays
// unless a copied value of the same name replaces it. False when `from` is
// missing or some part could not be copied (the rest is still copied). Not
// one step: a reader may see `to` half copied.
bool CopyKeyTree(const std::string& from, const std::string& to);

// One value as the registry holds it: its name, its type and its bytes.
struct StoredValue {
  std::string name;
  uint32_t type = 0;  // as the system numbers types: 1 REG_SZ, 3 REG_BINARY, 4 REG_DWORD, ...
  std::string data;

  // The DWORD, or nothing when the value is not a DWORD of four bytes.
  std::optional<uint32_t> Dword() const;
  // The text up to its first zero, or nothing when the value is not a string.
  std::optional<std::string> String() const;
};

// One key held open. Move-only; closed when destroyed. Use it from one
// thread at a time. A key that could not be opened answers every read with
// nothing and every write with false. Each backend implements this class
// (and Batch); the plain functions above are written once over it.
class RegistryKey {
 public:
  // Opens `key` with read rights; not open when the key is missing.
  static RegistryKey ForReading(const std::string& key);
  // Opens `key` for writing, creating it and its missing parents.
  static RegistryKey ForWriting(const std::string& key);
  // Opens `key` for writing; not open when the key is missing.
  static RegistryKey ForChanging(const std::string& key);

  RegistryKey(RegistryKey&& other) noexcept;
  RegistryKey& operator=(RegistryKey&& other) noexcept;
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  ~RegistryKey();

  bool IsOpen() const;

  // Every value with its data, in the order the system enumerates them, read
  // in one pass; long names as in ValueNames.
  std::vector<StoredValue> Values() const;
  std::vector<std::string> SubkeyNames() const;
  std::vector<std::string> ValueNames() const;
  // One value with its type and data; nothing when it is missing.
  std::optional<StoredValue> Query(const std::string& value) const;
  // Query(value) as a DWORD / a string; nothing when missing or of another type.
  std::optional<uint32_t> QueryDword(const std::string& value) const;
  std::optional<std::string> QueryString(const std::string& value) const;

  // As WriteDword / WriteString on this key (a value name of more than
  // 16,383 characters cannot be written).
  bool WriteDword(const std::string& value, uint32_t data);
  bool WriteString(const std::string& value, const std::string& data);
  // Stores `value` under its name, with its type and data.
  bool Write(const StoredValue& value);
  // Deleting a missing value succeeds.
  bool DeleteValue(const std::string& value);
  // As DeleteKeyTree on the subkey `name` of this key.
  bool DeleteSubkeyTree(const std::string& name);

 private:
  explicit RegistryKey(void* handle);
  void* handle_ = nullptr;  // the backend's open key
};

// Groups the registry calls of the thread that creates it until it is
// destroyed (batches nest). The POSIX file backend then reads its file once,
// keeps it locked against other processes meanwhile and writes it once at
// the end; other threads of the process wait for the batch. The Win32
// backend and the in-process tree do every call at once, so a batch changes
// nothing there.
class Batch {
 public:
  Batch();
  ~Batch();
  Batch(const Batch&) = delete;
  Batch& operator=(const Batch&) = delete;
};

}  // namespace avex::platform::registry
