#include "config/settings_store.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "lists/url.h"
#include "platform/registry.h"
#include "platform/trace.h"

namespace avex {

namespace {

namespace registry = platform::registry;

std::string KeyOf(const char* subkey) { return std::string(kSettingsRootKey) + "\\" + subkey; }

const std::string kCategoriesKey = KeyOf("Categories");
const std::string kResponsesKey = KeyOf("Custom Responses");
const std::string kAccessRightsKey = KeyOf("AccessRights");
const std::string kPartialKey = KeyOf("Manual\\Partial");
const std::string kUrlsKey = KeyOf("Manual\\URLs");
const std::string kSitesKey = KeyOf("Manual\\Sites");
const std::string kUpdateServersKey = KeyOf("Update Servers");
const std::string kLoggingKey = KeyOf("Logging");
const std::string kBanListKey = KeyOf("Ban List");
const std::string kAllowListKey = KeyOf("Allow List");
const std::string kUrlListKey = KeyOf("URL List");

int32_t AsCategoryId(uint32_t stored) { return static_cast<int32_t>(stored); }
uint32_t AsDword(int32_t categoryId) { return static_cast<uint32_t>(categoryId); }

void ReadCategorySetting(const std::string& enableName, const std::string& levelName,
                         CategorySetting* setting) {
  setting->enabled = registry::ReadDword(kCategoriesKey, enableName, 1) != 0;
  setting->level = static_cast<float>(registry::ReadDword(kCategoriesKey, levelName, 60));
}

void ReadApplyToAllUsers(FilterSettings* settings) {
  settings->applyToAllUsers = registry::ReadDword(kAccessRightsKey, "Apply to all users", 1);
}

void ReadAccessRights(AccessRights* rights) {
  for (const std::string& subkey : registry::SubkeyNames(kAccessRightsKey)) {
    const std::string key = kAccessRightsKey + "\\" + subkey;
    rights->Add(registry::ReadString(key, "Name", ""), registry::ReadString(key, "Description", ""),
                registry::ReadDword(key, "Group", 0), registry::ReadDword(key, "State", 1), 0, 0);
  }
}

// Reads every response subkey; `idOf` turns the stored "Code" into a category id.
template <typename IdOf>
void ReadResponses(ResponseSet* responses, const IdOf& idOf) {
  responses->Clear();
  for (const std::string& subkey : registry::SubkeyNames(kResponsesKey)) {
    const std::string key = kResponsesKey + "\\" + subkey;
    CustomResponse response(idOf(registry::ReadDword(key, "Code", 0)),
                            registry::ReadString(key, "Descript", ""));
    response.SetTitle(ResponseKindText, registry::ReadString(key, "Text Header", ""));
    response.SetBody(ResponseKindText, registry::ReadString(key, "Text Body", ""));
    response.SetTitle(ResponseKindHtml, registry::ReadString(key, "HTML Header", ""));
    response.SetBody(ResponseKindHtml, registry::ReadString(key, "HTML Body", ""));
    responses->InsertOrReplace(response);
  }
}

void ReadEngineValues(FilterSettings* settings) {
  const std::string root = kSettingsRootKey;
  settings->useSafeSurf = registry::ReadDword(root, "Use SafeSurf", settings->useSafeSurf);
  settings->useRsaci = registry::ReadDword(root, "Use RSACI", settings->useRsaci);
  settings->useUrlCache = registry::ReadDword(root, "Use URL Cache", settings->useUrlCache);
  settings->useStaticListUpdates =
      registry::ReadDword(root, "Use Static List Updates", settings->useStaticListUpdates);
  settings->staticListUpdateInterval =
      registry::ReadDword(root, "Use Static List Updates Interval", settings->staticListUpdateInterval);
}

void ReadLoggingAndUpdateServer(PluginConfiguration* config) {
  config->logging.SetOptions(registry::ReadDword(kLoggingKey, "Options", 15));
  config->logging.enabled = registry::ReadDword(kLoggingKey, "Enabled", config->logging.enabled);
  if (registry::KeyExists(kUpdateServersKey)) {
    config->updateServer.name = registry::ReadString(kUpdateServersKey, "Server", "");
    config->updateServer.port = registry::ReadDword(kUpdateServersKey, "Port", 0);
  }
}

// The old ban and allow lists: one URL per value, as string data. A value
// without usable text is skipped: as an empty partial entry it would match,
// and so decide, every request.
void ReadOldUrlValues(const std::string& key, int32_t categoryId, ManualLists* lists) {
  for (const std::string& name : registry::ValueNames(key)) {
    const std::string text = NormaliseUrl(registry::ReadString(key, name, ""));
    if (text.empty()) continue;
    lists->AppendPartial(ManualEntry{text, categoryId});
  }
}

void MigrateVersion1(PluginConfiguration* config) {
  ReadCategorySetting("Enable 2", "Level 2", &config->settings.categories[0]);
  ReadCategorySetting("Enable 3", "Level 3", &config->settings.categories[1]);
  ReadOldUrlValues(kBanListKey, CategoryBlocked, &config->settings.lists);
  ReadOldUrlValues(kAllowListKey, CategoryAllowed, &config->settings.lists);
  ReadAccessRights(&config->accessRights);
}

void MigrateVersion2(PluginConfiguration* config) {
  FilterSettings& settings = config->settings;
  for (unsigned long number = 1; number <= 26; ++number) {
    if (number == 25) continue;  // its legacy position belongs to no category
    CategorySetting* setting = settings.SettingOf(CategoryIdOfLegacyPosition(number - 1));
    if (setting == nullptr) continue;
    ReadCategorySetting("Enable " + std::to_string(number), "Level " + std::to_string(number), setting);
  }
  ReadApplyToAllUsers(&settings);
  ReadAccessRights(&config->accessRights);
  for (const std::string& subkey : registry::SubkeyNames(kUrlListKey)) {
    const std::string key = kUrlListKey + "\\" + subkey;
    ManualEntry entry{NormaliseUrl(registry::ReadString(key, "URL", "")),
                      CategoryIdOfLegacyNumber(AsCategoryId(registry::ReadDword(key, "Category", 0)))};
    switch (registry::ReadDword(key, "Type", 0)) {
      case 1:
        settings.lists.InsertUrl(std::move(entry));
        break;
      case 2:
        settings.lists.InsertSite(std::move(entry));
        break;
      default:
        if (!entry.text.empty()) settings.lists.AppendPartial(std::move(entry));
        break;
    }
  }
  if (registry::KeyExists(kResponsesKey)) {
    ReadResponses(&config->responses,
                  [](uint32_t code) { return CategoryIdOfLegacyNumber(AsCategoryId(code)); });
  }
  ReadEngineValues(&settings);
  ReadLoggingAndUpdateServer(config);
}

// A response is stored under a subkey named by its description; one without
// a description has no name to be stored under (its values would land in the
// parent key, where no load looks), so it is left out.
void WriteResponses(const ResponseSet& responses) {
  for (const auto& [id, response] : responses) {
    if (response.Description().empty()) continue;
    const std::string key = kResponsesKey + "\\" + response.Description();
    registry::WriteDword(key, "Code", AsDword(response.CategoryId()));
    registry::WriteString(key, "Descript", response.Description().c_str());
    registry::WriteString(key, "Text Header", response.GetTitle(ResponseKindText).c_str());
    registry::WriteString(key, "Text Body", response.GetBody(ResponseKindText).c_str());
    registry::WriteString(key, "HTML Header", response.GetTitle(ResponseKindHtml).c_str());
    registry::WriteString(key, "HTML Body", response.GetBody(ResponseKindHtml).c_str());
  }
}

void WriteAccessRights(const PluginConfiguration& config) {
  registry::WriteDword(kAccessRightsKey, "Apply to all users", config.settings.applyToAllUsers);
  unsigned number = 0;
  for (const auto& [name, entry] : config.accessRights.Entries()) {
    const std::string key = kAccessRightsKey + "\\Recipient" + std::to_string(number++);
    registry::WriteString(key, "Name", entry.name.c_str());
    registry::WriteDword(key, "State", entry.state);
    registry::WriteDword(key, "Group", entry.isGroup);
  }
}

void WriteLists(const ManualLists& lists) {
  unsigned sequence = 0;
  char prefix[16];
  for (const ManualEntry& entry : lists.partials()) {
    std::snprintf(prefix, sizeof prefix, "%08u_", sequence++);
    registry::WriteDword(kPartialKey, prefix + entry.text, AsDword(entry.categoryId));
  }
  for (const auto& [text, entry] : lists.urls()) {
    registry::WriteDword(kUrlsKey, text, AsDword(entry.categoryId));
  }
  for (const auto& [text, entry] : lists.sites()) {
    registry::WriteDword(kSitesKey, text, AsDword(entry.categoryId));
  }
}

// Everything a load reads, in its order; the caller holds the lock.
void ReadStoredConfiguration(PluginConfiguration* config) {
  const std::string root = kSettingsRootKey;
  FilterSettings& settings = config->settings;

  const uint32_t version = registry::ReadDword(root, "RegVersion", 0);
  if (version != kSettingsVersion) MigrateSettings(version, config);
  config->hostLoggingCapable = registry::ReadDword(kHostSettingsKey, "SessionLoggingCapable", 0);
  if (version == 0) config->defaultFilter = true;

  for (size_t row = 0; row < CategoryCount; ++row) {
    const int32_t id = CategoryTable[row].id;
    ReadCategorySetting(CategoryEnableValueName(id), CategoryLevelValueName(id), &settings.categories[row]);
  }
  ReadApplyToAllUsers(&settings);
  ReadAccessRights(&config->accessRights);

  for (const std::string& name : registry::ValueNames(kSitesKey)) {
    settings.lists.InsertSite(ManualEntry{name, AsCategoryId(registry::ReadDword(kSitesKey, name, 0))});
  }
  for (const std::string& name : registry::ValueNames(kUrlsKey)) {
    settings.lists.InsertUrl(ManualEntry{name, AsCategoryId(registry::ReadDword(kUrlsKey, name, 0))});
  }
  for (const std::string& name : registry::ValueNames(kPartialKey)) {
    if (name.size() < 9 || name[8] != '_') continue;
    settings.lists.AppendPartial(
        ManualEntry{name.substr(9), AsCategoryId(registry::ReadDword(kPartialKey, name, 0))});
  }

  bool saveDue = false;
  if (registry::KeyExists(kResponsesKey)) {
    ReadResponses(&config->responses, [](uint32_t code) { return AsCategoryId(code); });
    saveDue = AddDefaultResponses(&config->responses);
  }
  ReadEngineValues(&settings);
  ReadLoggingAndUpdateServer(config);
  if (saveDue) SaveSettings(*config);
}

}  // namespace

uint32_t StoredLevel(float level) {
  if (std::isnan(level) || level >= 4294967296.0f) return 0xFFFFFFFFu;
  if (level <= 0) return 0;
  return static_cast<uint32_t>(level);
}

bool LoadSettings(PluginConfiguration* config, SharedDataLock* lock) {
  SharedDataGuard guard(*lock);
  if (!guard.Held()) {
    platform::Trace(config, "settings not loaded: the shared data lock was not acquired\n");
    return false;
  }
  try {
    config->settings.lists = ManualLists();
    config->accessRights.Empty();
    ReadStoredConfiguration(config);
    return true;
  } catch (const std::exception& error) {
    platform::Trace(config, "settings load ended early: %s\n", error.what());
    return false;
  }
}

void SaveSettings(const PluginConfiguration& config) {
  const std::string root = kSettingsRootKey;
  const FilterSettings& settings = config.settings;
  registry::DeleteKeyTree(root);
  registry::WriteDword(root, "RegVersion", kSettingsVersion);
  registry::WriteDword(root, "Use SafeSurf", settings.useSafeSurf);
  registry::WriteDword(root, "Use RSACI", settings.useRsaci);
  registry::WriteDword(root, "Use URL Cache", settings.useUrlCache);
  registry::WriteDword(root, "Use Static List Updates", settings.useStaticListUpdates);
  registry::WriteDword(root, "Use Static List Updates Interval", settings.staticListUpdateInterval);
  for (size_t row = 0; row < CategoryCount; ++row) {
    const int32_t id = CategoryTable[row].id;
    registry::WriteDword(kCategoriesKey, CategoryEnableValueName(id), settings.categories[row].enabled ? 1 : 0);
    registry::WriteDword(kCategoriesKey, CategoryLevelValueName(id), StoredLevel(settings.categories[row].level));
  }
  WriteResponses(config.responses);
  WriteAccessRights(config);
  WriteLists(settings.lists);
  registry::WriteDword(kUpdateServersKey, "Port", config.updateServer.port);
  registry::WriteString(kUpdateServersKey, "Server", config.updateServer.name.c_str());
  registry::WriteDword(kLoggingKey, "Options", config.logging.Options());
  registry::WriteDword(kLoggingKey, "Enabled", config.logging.enabled);
}

void MigrateSettings(uint32_t version, PluginConfiguration* config) {
  registry::WriteDword(kSettingsRootKey, "RegVersion", kSettingsVersion);
  switch (version) {
    case 0:
      if (registry::KeyExists(kAllowListKey) || registry::KeyExists(kBanListKey)) MigrateVersion1(config);
      break;
    case 1:
      MigrateVersion1(config);
      break;
    case 2:
      MigrateVersion2(config);
      break;
    default:
      break;
  }
  SaveSettings(*config);
  config->accessRights.Empty();
  config->settings.lists = ManualLists();
  config->responses.Clear();
}

}  // namespace avex
