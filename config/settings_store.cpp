#include "config/settings_store.h"

#include <chrono>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "config/settings_journal.h"
#include "config/settings_store_lock.h"
#include "config/stored_tree.h"
#include "lists/storable_text.h"
#include "lists/url.h"
#include "platform/reg_file.h"
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

using namespace settings_layout;

const std::string kCategoriesKey = KeyOf(kCategories);
const std::string kResponsesKey = KeyOf(kResponses);
const std::string kAccessRightsKey = KeyOf(kAccessRights);
const std::string kUpdateServersKey = KeyOf(kUpdateServers);
const std::string kLoggingKey = KeyOf(kLogging);
const std::string kBanListKey = KeyOf("Ban List");
const std::string kAllowListKey = KeyOf("Allow List");
const std::string kUrlListKey = KeyOf("URL List");

int32_t AsCategoryId(uint32_t stored) { return static_cast<int32_t>(stored); }

void ReadCategorySetting(const RegistryKey& categories, const std::string& enableName,
                         const std::string& levelName, CategorySetting* setting) {
  setting->enabled = categories.QueryDword(enableName).value_or(1) != 0;
  setting->level = static_cast<float>(categories.QueryDword(levelName).value_or(60));
}

void ReadApplyToAllUsers(FilterSettings* settings) {
  settings->applyToAllUsers = registry::ReadDword(kAccessRightsKey, kApplyToAllUsers, kApplyToAllUsersDefault);
}

void ReadAccessRights(AccessRights* rights) {
  for (const std::string& subkey : RegistryKey::ForReading(kAccessRightsKey).SubkeyNames()) {
    const RegistryKey key = RegistryKey::ForReading(kAccessRightsKey + "\\" + subkey);
    rights->Add(key.QueryString(kRecipientName).value_or(""), key.QueryString(kRecipientDescription).value_or(""),
                key.QueryDword(kRecipientGroup).value_or(0),
                key.QueryDword(kRecipientState).value_or(kRecipientStateDefault), 0, 0);
  }
}

// Reads every response subkey; `idOf` turns the stored code into a category id.
template <typename IdOf>
void ReadResponses(ResponseSet* responses, const IdOf& idOf) {
  responses->Clear();
  for (const std::string& subkey : RegistryKey::ForReading(kResponsesKey).SubkeyNames()) {
    const RegistryKey key = RegistryKey::ForReading(kResponsesKey + "\\" + subkey);
    CustomResponse response(idOf(key.QueryDword(kResponseCode).value_or(0)),
                            key.QueryString(kResponseDescription).value_or(""));
    for (const ResponseText& text : kResponseTexts) {
      const std::string stored = key.QueryString(text.valueName).value_or("");
      if (text.title) {
        response.SetTitle(text.kind, stored);
      } else {
        response.SetBody(text.kind, stored);
      }
    }
    responses->InsertOrReplace(response);
  }
}

void ReadEngineValues(FilterSettings* settings) {
  const RegistryKey root = RegistryKey::ForReading(kRootKey);
  for (const EngineSetting& engine : kEngineSettings) {
    settings->*engine.member = root.QueryDword(engine.valueName).value_or(settings->*engine.member);
  }
}

void ReadLoggingAndUpdateServer(PluginConfiguration* config) {
  const RegistryKey logging = RegistryKey::ForReading(kLoggingKey);
  config->logging.SetOptions(logging.QueryDword(kLoggingOptions).value_or(kLoggingOptionsDefault));
  config->logging.enabled = logging.QueryDword(kLoggingEnabled).value_or(config->logging.enabled);
  const RegistryKey updateServers = RegistryKey::ForReading(kUpdateServersKey);
  if (updateServers.IsOpen()) {
    config->updateServer.name = updateServers.QueryString(kUpdateServerName).value_or("");
    config->updateServer.port = updateServers.QueryDword(kUpdateServerPort).value_or(0);
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

// Removes the staging tree, its "RegVersion" first: a removal cut short
// leaves an incomplete tree, never one that would pass for complete.
void DropStaging() {
  registry::WriteString(kStagingKey, kSettingsVersionValue, nullptr);
  registry::DeleteKeyTree(kStagingKey);
}

// The staging tree replaces the root: the old root goes, the staging tree
// is copied in its place, and only then does the staging tree lose its
// "RegVersion" and go. Until that moment it stays complete, and the next
// load or save finishes the replacement.
bool ReplaceRootByStaging() {
  if (!registry::DeleteKeyTree(kRootKey) || !registry::CopyKeyTree(kStagingKey, kRootKey)) {
    platform::Trace(nullptr, "settings save: the saved tree could not replace %s; it stays under %s\n",
                    kRootKey.c_str(), kStagingKey.c_str());
    return false;
  }
  DropStaging();
  return true;
}

// A save of an older build that stopped half way left its staging tree: a
// complete one (it has "RegVersion") stopped while replacing the root, so the
// replacement is finished; an incomplete one stopped before the root was
// touched, so it goes and the root stays as it is. Then the journal of an
// interrupted save of ours is finished or dropped the same way.
void FinishInterruptedSave() {
  if (registry::KeyExists(kStagingKey)) {
    const bool complete = registry::QueryDword(kStagingKey, kSettingsVersionValue).has_value();
    platform::Trace(nullptr, "settings: %s tree of an interrupted save found under %s\n",
                    complete ? "the complete" : "an incomplete", kStagingKey.c_str());
    if (complete) {
      ReplaceRootByStaging();
    } else {
      DropStaging();
    }
  }
  FinishInterruptedJournal(kRootKey);
}

// A root whose "RegVersion" this version cannot read, or names a layout it
// does not know (a newer version's, or a damaged value), is kept: it is
// copied to a backup key beside the root, named with what it held, before
// the load replaces it. Answers the version the load goes on with: the
// stored one, or 0 (the default) when it could not be read. Throws when the
// copy failed, which ends the load before anything is replaced.
uint32_t KeepUnknownVersion() {
  const std::optional<StoredValue> stored = RegistryKey::ForReading(kRootKey).Query(kSettingsVersionValue);
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

// The version-3 layout, read in one batch. True when default responses had
// to be added, so that a save is due.
bool ReadCurrentLayout(uint32_t version, PluginConfiguration* config) {
  FilterSettings& settings = config->settings;
  registry::Batch batch;
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
  return saveDue;
}

// Everything a load reads, in its order; the caller holds the locks. The
// reads are batches of their own, apart from the saves between them, so that
// every phase of a save reaches the registry file as it does outside a load.
void ReadStoredConfiguration(PluginConfiguration* config) {
  FinishInterruptedSave();
  uint32_t version = 0;
  {
    registry::Batch batch;
    version = KeepUnknownVersion();
  }
  if (version != kSettingsVersion) MigrateSettings(version, config);
  if (ReadCurrentLayout(version, config)) SaveSettings(*config);
}

// What this copy of the code knows of the stored tree, between its saves;
// guarded by the settings store lock.
struct SaveMemory {
  uint64_t highestOrder = 0;  // of the saves that were not skipped
  // The tree as the last save left it, while the root holds `stamp`.
  std::optional<StoredTree> tree;
  uint32_t stamp = 0;
};

SaveMemory& TheSaveMemory() {
  static SaveMemory memory;
  return memory;
}

SettingsStoreLock& TheStoreLock() {
  static SettingsStoreLock lock;
  return lock;
}

// A stamp that differs from the stored one, so that another process that
// remembers the stored one sees that the tree changed.
uint32_t NewStamp(std::optional<uint32_t> stored) {
  static std::mt19937 generator(std::random_device{}() ^
                                static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  uint32_t stamp = generator();
  while (stored == stamp) stamp = generator();
  return stamp;
}

TreeChange StampChange(uint32_t stamp) {
  TreeChange change;
  change.kind = TreeChange::Kind::WriteValue;
  change.value = StoredValue{kSettingsStampValue, platform::regfile::kTypeDword, std::string(4, '\0')};
  for (int i = 0; i < 4; ++i) change.value.data[i] = static_cast<char>((stamp >> (8 * i)) & 0xFF);
  return change;
}

void TraceSave(const std::vector<TreeChange>& changes, std::chrono::steady_clock::time_point start, bool full) {
  unsigned long written = 0, deletedValues = 0, deletedKeys = 0;
  for (const TreeChange& change : changes) {
    switch (change.kind) {
      case TreeChange::Kind::WriteValue: ++written; break;
      case TreeChange::Kind::DeleteValue: ++deletedValues; break;
      case TreeChange::Kind::DeleteKey: ++deletedKeys; break;
    }
  }
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  platform::Trace(nullptr, "settings save: wrote %lu values, deleted %lu values and %lu keys in %lu ms (%s)\n",
                  written, deletedValues, deletedKeys, static_cast<unsigned long>(ms.count()),
                  full ? "full comparison" : "difference");
}

}  // namespace

std::string FirstUnstorableText(const PluginConfiguration& config) {
  const ManualLists& lists = config.settings.lists;
  for (const ManualEntry& entry : lists.partials()) {
    if (!IsStorableListText(ManualEntryPartial, entry.text)) {
      return "a partial entry of " + std::to_string(entry.text.size()) + " characters";
    }
  }
  const auto longIn = [](const SortedListView& list, ManualEntryType type, const char* what) -> std::string {
    for (const ManualEntryRef& entry : list) {
      if (!IsStorableListText(type, entry.text)) {
        return std::string(what) + " of " + std::to_string(entry.text.size()) + " characters";
      }
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

bool LoadSettings(PluginConfiguration* config, SharedDataLock* lock) {
  SharedDataGuard guard(*lock);
  if (!guard.Held()) {
    platform::Trace(config, "settings not loaded: the shared data lock was not acquired\n");
    return false;
  }
  SettingsStoreGuard store(TheStoreLock());
  if (!store.Held()) {
    platform::Trace(config, "settings not loaded: the settings store lock was not acquired\n");
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

// The difference between the tree `config` gives and the stored one goes
// through the journal (see settings_journal.h), so that a process killed at
// any moment leaves one complete configuration for the next start: the old
// or the new. The stored tree is the one this copy's last save left while
// the root still holds that save's stamp; otherwise (a first save, another
// process or an older build saved since, a failed write) it is read whole.
void SaveSettings(const PluginConfiguration& config, uint64_t order) {
  SettingsStoreGuard guard(TheStoreLock());
  if (!guard.Held()) {
    platform::Trace(nullptr, "settings save skipped: the settings store lock was not acquired\n");
    return;
  }
  SaveMemory& memory = TheSaveMemory();
  if (order != 0 && order <= memory.highestOrder) {
    platform::Trace(nullptr, "settings save: skipped, a later configuration was saved\n");
    return;
  }
  if (order != 0) memory.highestOrder = order;
  const auto start = std::chrono::steady_clock::now();

  FinishInterruptedSave();
  // A staging tree still here could not replace the root; this save supersedes it.
  if (registry::KeyExists(kStagingKey)) DropStaging();
  StoredTree wanted = SettingsImage(config);
  std::optional<uint32_t> storedStamp;
  std::optional<StoredTree> read;
  {
    registry::Batch batch;
    storedStamp = registry::QueryDword(kRootKey, kSettingsStampValue);
    if (!memory.tree || storedStamp != memory.stamp) {
      read = StoredTree::Read(kRootKey);
      read->EraseValue("", kSettingsStampValue);
    }
  }
  std::vector<TreeChange> changes = (read ? *read : *memory.tree).ChangesTo(wanted);
  memory.tree.reset();  // until the root is known to hold `wanted`
  if (changes.empty()) {
    if (storedStamp) {
      memory.tree = std::move(wanted);
      memory.stamp = *storedStamp;
    }
  } else {
    const uint32_t stamp = NewStamp(storedStamp);
    changes.push_back(StampChange(stamp));
    const CommitResult result = CommitThroughJournal(kRootKey, changes);
    if (result == CommitResult::NotWritten) return;
    if (result == CommitResult::Applied) {
      memory.tree = std::move(wanted);
      memory.stamp = stamp;
    }
  }
  TraceSave(changes, start, read.has_value());
}

// The old layout is read into memory and then replaced whole by the save;
// "RegVersion" is not written ahead of it, which would let a start after a
// kill in between take the old layout for the new one.
void MigrateSettings(uint32_t version, PluginConfiguration* config) {
  {
    registry::Batch batch;
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
  }
  SaveSettings(*config);
  config->accessRights.Empty();
  config->settings.lists = ManualLists();
  config->responses.Clear();
}

}  // namespace avex
