#include "host/record_edit.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <strings.h>

#include "config/plugin_configuration.h"
#include "plugin/configuration_record.h"

namespace avex::host {

namespace {

CategorySetting* SettingNamed(PluginConfiguration* config, const std::string& name) {
  for (size_t row = 0; row < CategoryCount; ++row) {
    if (strcasecmp(CategoryTable[row].name, name.c_str()) == 0) return &config->settings.categories[row];
  }
  return nullptr;
}

}  // namespace

bool EditConfigurationRecord(const std::string& path, const std::vector<std::string>& setting,
                             std::string* error) {
  std::ifstream in(path, std::ios::binary);
  const std::string record((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in && record.empty()) {
    *error = "cannot read " + path;
    return false;
  }
  PluginConfiguration config;
  ReadConfigurationRecord(record.data(), static_cast<uint32_t>(record.size()), &config);

  const std::string what = setting.empty() ? std::string() : setting[0];
  CategorySetting* category = setting.size() == 3 ? SettingNamed(&config, setting[1]) : nullptr;
  if (what == "level" && category != nullptr) {
    category->level = static_cast<float>(std::atof(setting[2].c_str()));
  } else if (what == "enabled" && category != nullptr) {
    category->enabled = std::atoi(setting[2].c_str()) != 0;
  } else if (what == "applyToAllUsers" && setting.size() == 2) {
    config.settings.applyToAllUsers = std::atoi(setting[1].c_str()) != 0 ? 1 : 0;
  } else if (what == "useUrlCache" && setting.size() == 2) {
    config.settings.useUrlCache = std::atoi(setting[1].c_str()) != 0 ? 1 : 0;
  } else {
    *error = "unknown setting (level CATEGORY PERCENT, enabled CATEGORY 0|1, applyToAllUsers 0|1, useUrlCache 0|1)";
    return false;
  }

  std::string edited(WriteConfigurationRecord(config, nullptr, 0), '\0');
  WriteConfigurationRecord(config, &edited[0], static_cast<uint32_t>(edited.size()));
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << edited;
  if (!out) {
    *error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace avex::host
