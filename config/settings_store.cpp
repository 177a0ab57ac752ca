#include "config/settings_store.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "lists/storable_text.h"
#include "lists/url.h"
#include "platform/registry.h"
#include "platform/trace.h"

namespace avex {

namespace {

namespace registry = platform::registry;
using registry::RegistryKey;
using registry::StoredValue;

const std::string kRootKey = kSettingsRootKey;
const std::string kStagingKey = std::string(kSettingsRootKey) + kSettingsStagingSuffix;

std::string KeyOf(const char* subkey) { return kRootKey + "\\" + subkey; }

const char kCategories[] = "Categories";
const char kResponses[] = "Custom Responses";
const char kAccessRights[] = "AccessRights";
const char kPartial[] = "Manual\\Partial";
const char kUrls[] = "Manual\\URLs";
const char kSites[] = "Manual\\Sites";
const char kUpdateServers[] = "Update Servers";
const char kLogging[] = "Logging";
const char kVersionValue[] = "RegVersion";

const std::string kCategoriesKey = KeyOf(kCategories);
const std::string kResponsesKey = KeyOf(kResponses);
const std::string kAccessRightsKey = KeyOf(kAccessRights);
const std::string kUpdateServersKey = KeyOf(kUpdateServers);
const std::string kLoggingKey = KeyOf(kLogging);
const std::string kBanListKey = KeyOf("Ban List");
const std::string kAllowListKey = KeyOf("Allow List");
const std::string kUrlListKey = KeyOf("URL List");

int32_t AsCategoryId(uint32_t stored) { return static_cast<int32_t>(stored); }
uint32_t AsDword(int32_t categoryId) { return static_cast<uint32_t>(categoryId); }

void ReadCategorySetting(const RegistryKey& categories, const std::string& enableName,
                         const std::string& levelName, CategorySetting* setting) {
  setting->enabled = categories.QueryDword(enableName).value_or(1) != 0;
  setting->level = static_cast<float>(categories.QueryDword(levelName).value_or(60));
}

void ReadApplyToAllUsers(FilterSettings* settings) {
  settings->applyToAllUsers = registry::ReadDword(kAccessRightsKey, "Apply to all users", 1);
}

void ReadAccessRights(AccessRights* rights) {
  for (const std::string& subkey : RegistryKey::ForReading(kAccessRightsKey).SubkeyNames()) {
    const RegistryKey key = RegistryKey::ForReading(kAccessRightsKey + "\\" + subkey);
    rights->Add(key.QueryString("Name").value_or(""), key.QueryString("Description").value_or(""),
                key.QueryDword("Group").value_or(0), key.QueryDword("State").value_or(1), 0, 0);
  }
}

// Reads every response subkey; `idOf` turns the stored "Code" into a category id.
template <typename IdOf>
void ReadResponses(ResponseSet* responses, const IdOf& idOf) {
  responses->Clear();
  for (const std::string& subkey : RegistryKey::ForReading(kResponsesKey).SubkeyNames()) {
    const RegistryKey key = RegistryKey::ForReading(kResponsesKey + "\\" + subkey);
    CustomResponse response(idOf(key.QueryDword("Code").value_or(0)), key.QueryString("Descript").value_or(""));
    response.SetTitle(ResponseKindText, key.QueryString("Text Header").value_or(""));
    response.SetBody(ResponseKindText, key.QueryString("Text Body").value_or(""));
    response.SetTitle(ResponseKindHtml, key.QueryString("HTML Header").value_or(""));
    response.SetBody(ResponseKindHtml, key.QueryString("HTML Body").value_or(""));
    responses->InsertOrReplace(response);
  }
}

void ReadEngineValues(FilterSettings* settings) {
  const RegistryKey root = RegistryKey::ForReading(kRootKey);
  settings->useSafeSurf = root.QueryDword("Use SafeSurf").value_or(settings->useSafeSurf);
  settings->useRsaci = root.QueryDword("Use RSACI").value_or(settings->useRsaci);
  settings->useUrlCache = root.QueryDword("Use URL Cache").value_or(settings->useUrlCache);
  settings->useStaticListUpdates =
      root.QueryDword("Use Static List Updates").value_or(settings->useStaticListUpdates);
  settings->staticListUpdateInterval =
      root.QueryDword("Use Static List Updates Interval").value_or(settings->staticListUpdateInterval);
}

void ReadLoggingAndUpdateServer(PluginConfiguration* config) {
  const RegistryKey logging = RegistryKey::ForReading(kLoggingKey);
  config->logging.SetOptions(logging.QueryDword("Options").value_or(15));
  config->logging.enabled = logging.QueryDword("Enabled").value_or(config->logging.enabled);
  const RegistryKey updateServers = RegistryKey::ForReading(kUpdateServersKey);
  if (updateServers.IsOpen()) {
    config->updateServer.name = updateServers.QueryString("Server").value_or("");
    config->updateServer.port = updateServers.QueryDword("Port").value_or(0);
  }
}

// The values of a list key, with their data, in one pass. A value that is
// not a DWORD holds no category: it is skipped, not read as category 0 (which
// would block its URLs with an empty page).
template <typename Add>
void ReadListValues(const char* subkey, const Add& add) {
  size_t skipped = 0;
  for (const StoredValue& value : RegistryKey::ForReading(KeyOf(subkey)).Values()) {
    const std::optional<uint32_t> categoryId = value.Dword();
    if (categoryId) {
      add(value.name, AsCategoryId(*categoryId));
    } else {
      ++skipped;
    }
  }
  if (skipped != 0) {
    platform::Trace(nullptr, "settings load: %lu values under %s are not DWORDs and were skipped\n",
                    static_cast<unsigned long>(skipped),
                    subkey);
  }
}

// The old ban and allow lists: one URL per value, as string data. A value
// without usable text is skipped: as an empty partial entry it would match,
// and so decide, every request.
void ReadOldUrlValues(const std::string& key, int32_t categoryId, ManualLists* lists) {
  for (const StoredValue& value : RegistryKey::ForReading(key).Values()) {
    const std::string text = NormaliseUrl(value.String().value_or(""));
    if (text.empty()) continue;
    lists->AppendPartial(ManualEntry{text, categoryId});
  }
}

void MigrateVersion1(PluginConfiguration* config) {
  const RegistryKey categories = RegistryKey::ForReading(kCategoriesKey);
  ReadCategorySetting(categories, "Enable 2", "Level 2", &config->settings.categories[0]);
  ReadCategorySetting(categories, "Enable 3", "Level 3", &config->settings.categories[1]);
  ReadOldUrlValues(kBanListKey, CategoryBlocked, &config->settings.lists);
  ReadOldUrlValues(kAllowListKey, CategoryAllowed, &config->settings.lists);
  ReadAccessRights(&config->accessRights);
}

void MigrateVersion2(PluginConfiguration* config) {
  FilterSettings& settings = config->settings;
  const RegistryKey categories = RegistryKey::ForReading(kCategoriesKey);
  for (unsigned long number = 1; number <= 26; ++number) {
    if (number == 25) continue;  // its legacy position belongs to no category
    CategorySetting* setting = settings.SettingOf(CategoryIdOfLegacyPosition(number - 1));
    if (setting == nullptr) continue;
    ReadCategorySetting(categories, "Enable " + std::to_string(number), "Level " + std::to_string(number),
                        setting);
  }
  ReadApplyToAllUsers(&settings);
  ReadAccessRights(&config->accessRights);
  for (const std::string& subkey : RegistryKey::ForReading(kUrlListKey).SubkeyNames()) {
    const RegistryKey key = RegistryKey::ForReading(kUrlListKey + "\\" + subkey);
    ManualEntry entry{NormaliseUrl(key.QueryString("URL").value_or("")),
                      CategoryIdOfLegacyNumber(AsCategoryId(key.QueryDword("Category").value_or(0)))};
    switch (key.QueryDword("Type").value_or(0)) {
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

// A response is stored under a subkey named by its description; one whose
// description names no key (empty, too long, or with a backslash, which would
// make a path of it) has nowhere to be stored, so it is left out.
void WriteResponses(const ResponseSet& responses, const std::string& base) {
  for (const auto& [id, response] : responses) {
    if (response.Description().empty() || !IsStorableResponseDescription(response.Description())) continue;
    RegistryKey key = RegistryKey::ForWriting(base + "\\" + kResponses + "\\" + response.Description());
    key.WriteDword("Code", AsDword(response.CategoryId()));
    key.WriteString("Descript", response.Description());
    key.WriteString("Text Header", response.GetTitle(ResponseKindText));
    key.WriteString("Text Body", response.GetBody(ResponseKindText));
    key.WriteString("HTML Header", response.GetTitle(ResponseKindHtml));
    key.WriteString("HTML Body", response.GetBody(ResponseKindHtml));
  }
}

void WriteAccessRights(const PluginConfiguration& config, const std::string& base) {
  const std::string accessRights = base + "\\" + kAccessRights;
  RegistryKey::ForWriting(accessRights).WriteDword("Apply to all users", config.settings.applyToAllUsers);
  unsigned number = 0;
  for (const auto& [name, entry] : config.accessRights.Entries()) {
    RegistryKey key = RegistryKey::ForWriting(accessRights + "\\Recipient" + std::to_string(number++));
    key.WriteString("Name", entry.name);
    key.WriteDword("State", entry.state);
    key.WriteDword("Group", entry.isGroup);
  }
}

// One open key per list; a key that receives no value is not created.
void WriteLists(const ManualLists& lists, const std::string& base) {
  if (!lists.partials().empty()) {
    RegistryKey key = RegistryKey::ForWriting(base + "\\" + kPartial);
    unsigned sequence = 0;
    char prefix[16];
    for (const ManualEntry& entry : lists.partials()) {
      std::snprintf(prefix, sizeof prefix, "%08u_", sequence++);
      key.WriteDword(prefix + entry.text, AsDword(entry.categoryId));
    }
  }
  const auto writeMap = [&](const ManualEntryMap& map, const char* subkey) {
    if (map.empty()) return;
    RegistryKey key = RegistryKey::ForWriting(base + "\\" + subkey);
    for (const auto& [text, entry] : map) key.WriteDword(text, AsDword(entry.categoryId));
  };
  writeMap(lists.urls(), kUrls);
  writeMap(lists.sites(), kSites);
}

// The whole version-3 layout under `base`. "RegVersion" is written last: a
// tree that has it is complete.
bool WriteTree(const PluginConfiguration& config, const std::string& base) {
  const FilterSettings& settings = config.settings;
  RegistryKey root = RegistryKey::ForWriting(base);
  if (!root.IsOpen()) return false;
  root.WriteDword("Use SafeSurf", settings.useSafeSurf);
  root.WriteDword("Use RSACI", settings.useRsaci);
  root.WriteDword("Use URL Cache", settings.useUrlCache);
  root.WriteDword("Use Static List Updates", settings.useStaticListUpdates);
  root.WriteDword("Use Static List Updates Interval", settings.staticListUpdateInterval);
  {
    RegistryKey categories = RegistryKey::ForWriting(base + "\\" + kCategories);
    for (size_t row = 0; row < CategoryCount; ++row) {
      const int32_t id = CategoryTable[row].id;
      categories.WriteDword(CategoryEnableValueName(id), settings.categories[row].enabled ? 1 : 0);
      categories.WriteDword(CategoryLevelValueName(id), StoredLevel(settings.categories[row].level));
    }
  }
  WriteResponses(config.responses, base);
  WriteAccessRights(config, base);
  WriteLists(settings.lists, base);
  {
    RegistryKey updateServers = RegistryKey::ForWriting(base + "\\" + kUpdateServers);
    updateServers.WriteDword("Port", config.updateServer.port);
    updateServers.WriteString("Server", config.updateServer.name);
  }
  {
    RegistryKey logging = RegistryKey::ForWriting(base + "\\" + kLogging);
    logging.WriteDword("Options", config.logging.Options());
    logging.WriteDword("Enabled", config.logging.enabled);
  }
  return root.WriteDword(kVersionValue, kSettingsVersion);
}

// The staging tree replaces the root: the old root goes, the staging tree
// is copied in its place, and only then does the staging tree lose its
// "RegVersion" and go. Until that moment it stays complete, and the next
// load or save finishes the replacement.
// Removes the staging tree, its "RegVersion" first: a removal cut short
// leaves an incomplete tree, never one that would pass for complete.
void DropStaging() {
  registry::WriteString(kStagingKey, kVersionValue, nullptr);
  registry::DeleteKeyTree(kStagingKey);
}

bool ReplaceRootByStaging() {
  if (!registry::DeleteKeyTree(kRootKey) || !registry::CopyKeyTree(kStagingKey, kRootKey)) {
    platform::Trace(nullptr, "settings save: the saved tree could not replace %s; it stays under %s\n",
                    kRootKey.c_str(), kStagingKey.c_str());
    return false;
  }
  DropStaging();
  return true;
}

// A save that stopped half way left its staging tree: a complete one (it
// has "RegVersion") stopped while replacing the root, so the replacement is
// finished; an incomplete one stopped before the root was touched, so it
// goes and the root stays as it is.
void FinishInterruptedSave() {
  if (!registry::KeyExists(kStagingKey)) return;
  const bool complete = registry::QueryDword(kStagingKey, kVersionValue).has_value();
  platform::Trace(nullptr, "settings: %s tree of an interrupted save found under %s\n",
                  complete ? "the complete" : "an incomplete", kStagingKey.c_str());
  if (complete) {
    ReplaceRootByStaging();
  } else {
    DropStaging();
  }
}

// A root whose "RegVersion" this version cannot read, or names a layout it
// does not know (a newer version's, or a damaged value), is kept: it is
// copied to a backup key beside the root, named with what it held, before
// the load replaces it. Answers the version the load goes on with: the
// stored one, or 0 (the default) when it could not be read. Throws when the
// copy failed, which ends the load before anything is replaced.
uint32_t KeepUnknownVersion() {
  const std::optional<StoredValue> stored = RegistryKey::ForReading(kRootKey).Query(kVersionValue);
  if (!stored) return 0;
  const std::optional<uint32_t> version = stored->Dword();
  if (version && *version <= kSettingsVersion) return *version;

  const std::string held = version ? "version " + std::to_string(*version) : std::string("unreadable version");
  const std::string base = kRootKey + "." + held;
  std::string backup = base;
  for (unsigned copy = 2; registry::KeyExists(backup); ++copy) backup = base + " (" + std::to_string(copy) + ")";
  if (!registry::CopyKeyTree(kRootKey, backup)) {
    platform::Trace(nullptr, "settings: the tree with %s could not be kept as %s\n", held.c_str(), backup.c_str());
    throw std::runtime_error("the stored settings could not be kept before their replacement");
  }
  platform::Trace(nullptr, "settings: the tree with %s was kept as %s\n", held.c_str(), backup.c_str());
  return version.value_or(0);
}

// Everything a load reads, in its order; the caller holds the lock.
void ReadStoredConfiguration(PluginConfiguration* config) {
  FilterSettings& settings = config->settings;

  FinishInterruptedSave();
  const uint32_t version = KeepUnknownVersion();
  if (version != kSettingsVersion) MigrateSettings(version, config);
  config->hostLoggingCapable = registry::ReadDword(kHostSettingsKey, "SessionLoggingCapable", 0);
  if (version == 0) config->defaultFilter = true;

  {
    const RegistryKey categories = RegistryKey::ForReading(kCategoriesKey);
    for (size_t row = 0; row < CategoryCount; ++row) {
      const int32_t id = CategoryTable[row].id;
      ReadCategorySetting(categories, CategoryEnableValueName(id), CategoryLevelValueName(id),
                          &settings.categories[row]);
    }
  }
  ReadApplyToAllUsers(&settings);
  ReadAccessRights(&config->accessRights);

  ReadListValues(kSites, [&](const std::string& name, int32_t id) {
    settings.lists.InsertSite(ManualEntry{name, id});
  });
  ReadListValues(kUrls, [&](const std::string& name, int32_t id) {
    settings.lists.InsertUrl(ManualEntry{name, id});
  });
  ReadListValues(kPartial, [&](const std::string& name, int32_t id) {
    if (name.size() < 9 || name[8] != '_') return;
    settings.lists.AppendPartial(ManualEntry{name.substr(9), id});
  });

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

std::string FirstUnstorableText(const PluginConfiguration& config) {
  const ManualLists& lists = config.settings.lists;
  for (const ManualEntry& entry : lists.partials()) {
    if (!IsStorableListText(ManualEntryPartial, entry.text)) {
      return "a partial entry of " + std::to_string(entry.text.size()) + " characters";
    }
  }
  const auto longIn = [](const ManualEntryMap& map, ManualEntryType type, const char* what) -> std::string {
    for (const auto& [text, entry] : map) {
      if (!IsStorableListText(type, text)) return std::string(what) + " of " + std::to_string(text.size()) + " characters";
    }
    return std::string();
  };
  std::string found = longIn(lists.urls(), ManualEntryUrl, "a URL entry");
  if (found.empty()) found = longIn(lists.sites(), ManualEntrySite, "a site entry");
  if (!found.empty()) return found;
  for (const auto& [id, response] : config.responses) {
    if (!IsStorableResponseDescription(response.Description())) {
      return "the description of the response for category " + std::to_string(id);
    }
  }
  return std::string();
}

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
    registry::Batch batch;
    config->settings.lists = ManualLists();
    config->accessRights.Empty();
    ReadStoredConfiguration(config);
    return true;
  } catch (const std::exception& error) {
    platform::Trace(config, "settings load ended early: %s\n", error.what());
    return false;
  }
}

// The new tree is written whole beside the root and then takes the root's
// place (see ReplaceRootByStaging), so that a process killed at any moment
// leaves one complete configuration for the next start: the old or the new.
void SaveSettings(const PluginConfiguration& config, uint64_t) {
  registry::Batch batch;
  FinishInterruptedSave();
  DropStaging();  // left only when an earlier replacement failed
  if (!WriteTree(config, kStagingKey)) {
    platform::Trace(nullptr, "settings save: %s could not be written; the stored settings stay\n",
                    kStagingKey.c_str());
    DropStaging();
    return;
  }
  ReplaceRootByStaging();
}

// The old layout is read into memory and then replaced whole by the save;
// "RegVersion" is not written ahead of it, which would let a start after a
// kill in between take the old layout for the new one.
void MigrateSettings(uint32_t version, PluginConfiguration* config) {
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
