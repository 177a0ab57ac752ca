#include "config/plugin_configuration.h"

namespace avex {

uint32_t LoggingSettings::Options() const {
  return (logBlocked ? 1u : 0u) + 2u * (logAllowed ? 1u : 0u) + 4u * (logConfigurationChanges ? 1u : 0u);
}

void LoggingSettings::SetOptions(uint32_t options) {
  logBlocked = (options & 1u) != 0;
  logAllowed = (options & 2u) != 0;
  logConfigurationChanges = (options & 4u) != 0;
}

}  // namespace avex
