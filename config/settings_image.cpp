#include "config/settings_image.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "lists/storable_text.h"

namespace avex {

namespace {

using namespace settings_layout;

uint32_t AsDword(int32_t categoryId) { return static_cast<uint32_t>(categoryId); }

// A response is stored under a subkey named by its description; one whose
// description names no key (empty, too long, or with a backslash, which would
// make a path of it) has nowhere to be stored, so it is left out.
void WriteResponses(const ResponseSet& responses, StoredTreeBuilder* tree) {
  for (const auto& [id, response] : responses) {
    if (response.Description().empty() || !IsStorableResponseDescription(response.Description())) continue;
    const std::string key = std::string(kResponses) + "\\" + response.Description();
    tree->WriteDword(key, kResponseCode, AsDword(response.CategoryId()));
    tree->WriteString(key, kResponseDescription, response.Description());
    for (const ResponseText& text : kResponseTexts) {
      tree->WriteString(key, text.valueName, text.title ? response.GetTitle(text.kind) : response.GetBody(text.kind));
    }
  }
}

void WriteAccessRights(const PluginConfiguration& config, StoredTreeBuilder* tree) {
  tree->WriteDword(kAccessRights, kApplyToAllUsers, config.settings.applyToAllUsers);
  unsigned number = 0;
  for (const auto& [name, entry] : config.accessRights.Entries()) {
    const std::string key = std::string(kAccessRights) + "\\" + kRecipientKeyPrefix + std::to_string(number++);
    tree->WriteString(key, kRecipientName, entry.name);
    tree->WriteDword(key, kRecipientState, entry.state);
    tree->WriteDword(key, kRecipientGroup, entry.isGroup);
  }
}

// A key is created only by its first value: an empty list leaves none.
void WriteLists(const ManualLists& lists, StoredTreeBuilder* tree) {
  if (!lists.partials().empty()) tree->Reserve(kPartial, lists.partials().size());
  if (!lists.urls().empty()) tree->Reserve(kUrls, lists.urls().size());
  if (!lists.sites().empty()) tree->Reserve(kSites, lists.sites().size());
  unsigned sequence = 0;
  char prefix[16];
  for (const ManualEntry& entry : lists.partials()) {
    std::snprintf(prefix, sizeof prefix, "%08u_", sequence++);
    tree->WriteDword(kPartial, prefix + entry.text, AsDword(entry.categoryId));
  }
  for (const ManualEntryRef& entry : lists.urls()) tree->WriteDword(kUrls, entry.text, AsDword(entry.categoryId));
  for (const ManualEntryRef& entry : lists.sites()) tree->WriteDword(kSites, entry.text, AsDword(entry.categoryId));
}

}  // namespace

StoredTree SettingsImage(const PluginConfiguration& config) {
  const FilterSettings& settings = config.settings;
  StoredTreeBuilder tree;
  for (const EngineSetting& engine : kEngineSettings) tree.WriteDword("", engine.valueName, settings.*engine.member);
  for (size_t row = 0; row < CategoryCount; ++row) {
    const int32_t id = CategoryTable[row].id;
    tree.WriteDword(kCategories, CategoryEnableValueName(id), settings.categories[row].enabled ? 1 : 0);
    tree.WriteDword(kCategories, CategoryLevelValueName(id), StoredLevel(settings.categories[row].level));
  }
  WriteResponses(config.responses, &tree);
  WriteAccessRights(config, &tree);
  WriteLists(settings.lists, &tree);
  tree.WriteDword(kUpdateServers, kUpdateServerPort, config.updateServer.port);
  tree.WriteString(kUpdateServers, kUpdateServerName, config.updateServer.name);
  tree.WriteDword(kLogging, kLoggingOptions, config.logging.Options());
  tree.WriteDword(kLogging, kLoggingEnabled, config.logging.enabled);
  tree.WriteDword("", kSettingsVersionValue, kSettingsVersion);
  return std::move(tree).Build();
}

uint32_t StoredLevel(float level) {
  if (std::isnan(level) || level >= 4294967296.0f) return 0xFFFFFFFFu;
  if (level <= 0) return 0;
  return static_cast<uint32_t>(level);
}

}  // namespace avex
