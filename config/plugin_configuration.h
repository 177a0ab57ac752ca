// Everything the plug-in keeps in the registry: the settings record and the
// plug-in-wide values beside it. PluginApplication owns the live instance;
// the store loads and saves one; the configuration transfer replaces it.
#pragma once

#include <cstdint>
#include <string>

#include "config/access_rights.h"
#include "config/filter_settings.h"
#include "responses/response_set.h"

namespace avex {

inline constexpr char kDefaultUpdateServer[] = "stlist.aurivex.example";

struct LoggingSettings {
  uint32_t enabled = 1;
  bool logBlocked = true;
  bool logAllowed = true;
  bool logConfigurationChanges = true;

  // Bit 0 blocked, bit 1 allowed, bit 2 configuration changes.
  uint32_t Options() const;
  void SetOptions(uint32_t options);
};

struct UpdateServer {
  std::string name = kDefaultUpdateServer;
  uint32_t port = 80;
};

struct PluginConfiguration {
  FilterSettings settings;
  LoggingSettings logging;
  uint32_t hostLoggingCapable = 0;  // read from the host's key, never written
  UpdateServer updateServer;
  ResponseSet responses = DefaultResponseSet();
  AccessRights accessRights;
  // Set by a load that found no stored settings (a first start): the host's
  // users then all start filtered.
  bool defaultFilter = false;
};

}  // namespace avex
