// The image of the registry tree that the version-3 layout gives a
// configuration: what a save of the whole configuration into an empty root
// key leaves there, key for key and value for value. The settings store
// writes only what differs between this image and the stored tree.
#pragma once

#include "config/plugin_configuration.h"
#include "config/stored_tree.h"
#include "responses/custom_response.h"

namespace avex {

inline constexpr uint32_t kSettingsVersion = 3;
inline constexpr char kSettingsVersionValue[] = "RegVersion";

// The keys of the layout, below the root key; the load reads what the image
// names here.
namespace settings_layout {
inline constexpr char kCategories[] = "Categories";
inline constexpr char kResponses[] = "Custom Responses";
inline constexpr char kAccessRights[] = "AccessRights";
inline constexpr char kPartial[] = "Manual\\Partial";
inline constexpr char kUrls[] = "Manual\\URLs";
inline constexpr char kSites[] = "Manual\\Sites";
inline constexpr char kUpdateServers[] = "Update Servers";
inline constexpr char kLogging[] = "Logging";

// The values of those keys. The load's defaults for a missing value are
// given here too; a value without one keeps what the configuration holds.
inline constexpr char kApplyToAllUsers[] = "Apply to all users";  // of kAccessRights
inline constexpr uint32_t kApplyToAllUsersDefault = 1;
inline constexpr char kRecipientKeyPrefix[] = "Recipient";  // subkeys of kAccessRights
inline constexpr char kRecipientName[] = "Name";
inline constexpr char kRecipientDescription[] = "Description";  // read, never written
inline constexpr char kRecipientState[] = "State";
inline constexpr uint32_t kRecipientStateDefault = 1;
inline constexpr char kRecipientGroup[] = "Group";
inline constexpr char kResponseCode[] = "Code";  // of each kResponses subkey
inline constexpr char kResponseDescription[] = "Descript";
inline constexpr char kUpdateServerName[] = "Server";  // of kUpdateServers
inline constexpr char kUpdateServerPort[] = "Port";
inline constexpr char kLoggingOptions[] = "Options";  // of kLogging
inline constexpr uint32_t kLoggingOptionsDefault = 15;
inline constexpr char kLoggingEnabled[] = "Enabled";

// A custom response's four texts, each a string value of its key.
struct ResponseText {
  const char* valueName;
  int kind;  // ResponseKindText or ResponseKindHtml
  bool title;  // the kind's title, else its body
};
inline constexpr ResponseText kResponseTexts[] = {
    {"Text Header", ResponseKindText, true},
    {"Text Body", ResponseKindText, false},
    {"HTML Header", ResponseKindHtml, true},
    {"HTML Body", ResponseKindHtml, false},
};

// The engine switches: DWORD values of the root key, one per member of
// FilterSettings. The image writes each member; the load reads each one and
// keeps the member as it is (FilterSettings' default, on a first load) when
// the value is missing.
struct EngineSetting {
  const char* valueName;
  uint32_t FilterSettings::*member;
};
inline constexpr EngineSetting kEngineSettings[] = {
    {"Use SafeSurf", &FilterSettings::useSafeSurf},
    {"Use RSACI", &FilterSettings::useRsaci},
    {"Use URL Cache", &FilterSettings::useUrlCache},
    {"Use Static List Updates", &FilterSettings::useStaticListUpdates},
    {"Use Static List Updates Interval", &FilterSettings::staticListUpdateInterval},
};
}  // namespace settings_layout

// Paths are below the root key. A response whose description names no key,
// and a key that would receive no value (an empty list), are left out.
// Any thread; throws only std::bad_alloc.
StoredTree SettingsImage(const PluginConfiguration& config);

// A level as the registry stores it: truncated toward zero; NaN and values
// above the DWORD range as 4294967295 (never blocks), negative values as 0.
uint32_t StoredLevel(float level);

}  // namespace avex
