#include "platform/reg_file.h"
#include "platform/registry.h"

namespace avex::platform::registry {

std::optional<uint32_t> StoredValue::Dword() const {
  if (type != regfile::kTypeDword || data.size() != 4) return std::nullopt;
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

std::optional<std::string> StoredValue::String() const {
  if (type != regfile::kTypeString) return std::nullopt;
  return data.substr(0, data.find('\0'));
}

}  // namespace avex::platform::registry
