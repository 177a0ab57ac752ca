// The bytes of a configuration as the transfer carries them: what tests hand
// to ApplyConfiguration, and what they compare whole.
#pragma once

#include <cstdint>
#include <string>

#include "config/plugin_configuration.h"
#include "plugin/configuration_record.h"

namespace avex::testing {

inline std::string RecordOf(const PluginConfiguration& config) {
  std::string record(WriteConfigurationRecord(config, nullptr, 0), '\0');
  WriteConfigurationRecord(config, &record[0], static_cast<uint32_t>(record.size()));
  return record;
}

}  // namespace avex::testing
