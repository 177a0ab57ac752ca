// A configuration that differs from the defaults in every part the registry
// stores, with `entries` entries per list, made the same way from the same
// `seed` in every process (the settings kill test and its saving child).
#pragma once

#include <cstddef>
#include <string>

#include "config/plugin_configuration.h"

namespace avex::testing {

inline PluginConfiguration GeneratedConfiguration(unsigned seed, size_t entries) {
  PluginConfiguration config;
  const std::string tag = "s" + std::to_string(seed) + "-";
  FilterSettings& settings = config.settings;
  settings.useSafeSurf = seed % 2;
  settings.useUrlCache = (seed + 1) % 2;
  settings.staticListUpdateInterval = 60 + seed;
  settings.applyToAllUsers = seed % 2;
  for (size_t row = 0; row < settings.categories.size(); ++row) {
    settings.categories[row] = {(row + seed) % 3 != 0, static_cast<float>((row * 7 + seed) % 101)};
  }
  for (size_t i = 0; i < entries; ++i) {
    const std::string n = tag + std::to_string(i);
    settings.lists.AppendPartial({"fragment" + n, static_cast<int32_t>(1 + i % 20)});
    settings.lists.InsertUrl({"http://www." + n + ".example/page.html", static_cast<int32_t>(1 + (i + seed) % 20)});
    settings.lists.InsertSite({"host" + n + ".example.org", CategoryBlocked});
  }
  for (size_t i = 0; i < entries / 10 + 1; ++i) {
    config.accessRights.Add("user" + tag + std::to_string(i), "", 0, (i + seed) % 2, 0, 0);
  }
  config.accessRights.Add("group" + tag, "", 1, 1, 0, 0);
  config.logging.SetOptions(seed % 8);
  config.updateServer = {"lists" + tag + ".example", 8000 + seed};
  config.responses.FindOrInsert(1).SetBody(ResponseKindHtml, "<p>blocked in " + tag + "</p>");
  return config;
}

}  // namespace avex::testing
