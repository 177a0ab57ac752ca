// The registry's plain functions, each over a RegistryKey opened for the one
// call: the backends implement only the key.
#include <vector>

#include "platform/registry.h"
#include "platform/registry_path.h"

namespace avex::platform::registry {

std::optional<uint32_t> QueryDword(const std::string& key, const std::string& value) {
  return RegistryKey::ForReading(key).QueryDword(value);
}

std::optional<std::string> QueryString(const std::string& key, const std::string& value, size_t maxBytes) {
  std::optional<std::string> text = RegistryKey::ForReading(key).QueryString(value);
  if (text && text->size() >= maxBytes) return std::nullopt;  // with its zero it would not fit
  return text;
}

uint32_t ReadDword(const std::string& key, const std::string& value, uint32_t fallback) {
  return QueryDword(key, value).value_or(fallback);
}

std::string ReadString(const std::string& key, const std::string& value, const std::string& fallback) {
  std::optional<std::string> text = QueryString(key, value);
  return text ? *text : fallback;
}

bool WriteDword(const std::string& key, const std::string& value, uint32_t data) {
  // A name that cannot be stored creates no key either.
  return value.size() <= kMaxValueName && RegistryKey::ForWriting(key).WriteDword(value, data);
}

bool WriteString(const std::string& key, const std::string& value, const char* data) {
  if (value.size() > kMaxValueName) return false;
  if (data != nullptr) return RegistryKey::ForWriting(key).WriteString(value, data);
  RegistryKey changing = RegistryKey::ForChanging(key);
  if (!changing.IsOpen()) return !KeyExists(key);  // no key, so no value either
  return changing.DeleteValue(value);
}

bool KeyExists(const std::string& key) { return RegistryKey::ForReading(key).IsOpen(); }

bool DeleteKeyTree(const std::string& key) {
  std::vector<std::string> names;
  if (!SplitKeyPath(key, &names) || names.empty()) return false;  // never HKEY_LOCAL_MACHINE
  RegistryKey parent = RegistryKey::ForReading(JoinKeyPath(names, names.size() - 1));
  return !parent.IsOpen() || parent.DeleteSubkeyTree(names.back());
}

std::vector<std::string> SubkeyNames(const std::string& key) { return RegistryKey::ForReading(key).SubkeyNames(); }

std::vector<std::string> ValueNames(const std::string& key) { return RegistryKey::ForReading(key).ValueNames(); }

}  // namespace avex::platform::registry
