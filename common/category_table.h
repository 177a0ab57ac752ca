// The fixed category table: every content category the engine reports, plus
// the policy verdict "Blocked", in the row order that settings slots, pages and
// content scanning follow.
//
// A leaf header: it includes nothing of ours, so any layer may use it. The
// table is a compile-time constant (constant-initialised, so it is usable from
// other objects' constructors at library load) and never changes at run time;
// everything here may be called from any thread.
//
// Ids and rows do not follow each other (id 7 is row 23, id 0 is row 22, id 24
// has no row): every mapping goes through CategoryIndexOf.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>

namespace avex {

// Blocked by policy (ban-list entries, manual "Blocked" classifications). Has a row.
constexpr int32_t CategoryBlocked = 0x7FFFFFFD;
// Explicitly allowed. No row, no settings slot, response, name or reason.
constexpr int32_t CategoryAllowed = 0x7FFFFFFE;
// No recorded category (a request that nothing has decided yet).
constexpr int32_t CategoryNone = 0x7FFFFFFF;

// How the pages label CategoryAllowed.
constexpr const char* CategoryAllowedLabel = "Allow";

struct CategoryInfo {
  const char* description;  // long label; also the name of the category's block response
  const char* name;         // short label: ##CATEGORY## on block pages, log lines, list files
  int32_t id;
  uint32_t reasonStringId;  // string-table id of the block page's ##REASON## text
  bool hasResponse;         // has a block response; scored by content scanning (rows before "Blocked")
  bool listed;              // shown on the Filtered categories and Manual classifications pages
  bool levelShown;          // its level is shown and edited as a percentage
  float defaultLevel;       // percent, given to the settings slot of a new settings record
};

constexpr size_t CategoryCount = 31;

// The rows in their fixed order. Texts are exact, misspellings included.
inline constexpr std::array<CategoryInfo, CategoryCount> CategoryTable = {{
    {"Sexual content", "Sex", 1, 6002, true, true, true, 60},
    {"Gambling content", "Gambling", 2, 6001, true, true, true, 60},
    {"Sport content", "Sports", 3, 6004, true, true, false, 60},
    {"Job-seeking content", "Jobs", 4, 6006, true, true, false, 60},
    {"Shopping content", "Shopping", 5, 6005, true, true, false, 60},
    {"Stock content", "Stocks", 6, 6007, true, true, false, 60},
    {"Violence content", "Violence", 8, 6008, true, true, false, 60},
    {"Web-mail content", "Web-mail", 9, 6009, true, true, false, 60},
    {"Weapons content", "Weapons", 10, 6010, true, true, false, 60},
    {"Hate-speech content", "Hate", 11, 6011, true, true, false, 60},
    {"Drug content", "Drugs", 12, 6012, true, true, false, 60},
    {"Games content", "Games", 13, 6018, true, true, false, 60},
    {"News content", "News", 14, 6014, true, true, false, 60},
    {"Software download content", "Software Downloads", 15, 6019, true, true, false, 60},
    {"Travel content", "Travel", 16, 6020, true, true, false, 60},
    {"Cult content", "Cults", 17, 6021, true, true, false, 60},
    {"Warez content", "Warez", 18, 6022, true, true, false, 60},
    {"Auctions content", "Auctions", 19, 6023, true, true, false, 60},
    {"Dating content", "Dating", 20, 6015, true, true, false, 60},
    {"Chat content", "Chat", 21, 6017, true, true, false, 60},
    {"Health content", "Health", 22, 6024, true, true, false, 60},
    {"Forum content", "Forums", 23, 6025, true, true, false, 60},
    {"Unknown content", "Unknown", 0, 6003, false, false, false, 0},
    {"No classification", "None", 7, 6003, false, false, false, 60},
    {"Government content", "Government", 25, 6028, true, true, false, 0},
    {"Old Shopping category", "Old shopping", 26, 6005, false, false, false, 0},
    {"Finance / Banking content", "Finance / Banking", 27, 6029, true, true, false, 0},
    {"Child pornography content", "Child pornography", 28, 6030, true, true, false, 0},
    {"Social networking content", "Social networking", 29, 6031, true, true, false, 0},
    {"Blog site", "Blogs", 30, 6032, true, true, false, 0},
    {"Administratively blocked", "Blocked", CategoryBlocked, 6027, true, true, false, 0},
}};

// Rows 0 to EngineCategoryRows - 1 are the engine's own categories; the last
// row is the policy verdict.
constexpr size_t EngineCategoryRows = 30;

// The index of the first row whose id is `id`, scanning from row 0;
// CategoryCount (one past the last row) when no row has it.
constexpr size_t CategoryIndexOf(int32_t id) {
  for (size_t row = 0; row < CategoryCount; ++row) {
    if (CategoryTable[row].id == id) return row;
  }
  return CategoryCount;
}

// The row of `id`, or null when it has none.
constexpr const CategoryInfo* FindCategory(int32_t id) {
  size_t row = CategoryIndexOf(id);
  return row < CategoryCount ? &CategoryTable[row] : nullptr;
}

// The enabled flags of a settings record, one per row in row order.
using CategoryEnabledFlags = std::array<bool, CategoryCount>;

// Whether the category `id` blocks under the given enabled flags: false for
// CategoryAllowed and for an id without a row, otherwise the flag of the id's
// row. `enabledAt` is called with a row index below CategoryCount and answers
// whether that row's settings slot is enabled, so a settings record can be
// passed without copying: IsCategoryBlocked(id, [&](size_t r) { ... }).
template <typename EnabledAt,
          typename = std::enable_if_t<std::is_invocable_r_v<bool, const EnabledAt&, size_t>>>
bool IsCategoryBlocked(int32_t id, const EnabledAt& enabledAt) {
  if (id == CategoryAllowed) return false;
  size_t row = CategoryIndexOf(id);
  return row < CategoryCount && enabledAt(row);
}

inline bool IsCategoryBlocked(int32_t id, const CategoryEnabledFlags& enabled) {
  return IsCategoryBlocked(id, [&enabled](size_t row) { return enabled[row]; });
}

// The reason text of the row `row` (the string-table text under its reason
// string id), loaded anew on every call; empty for a row index of
// CategoryCount or more. Any thread.
std::string CategoryReasonText(size_t row);

// Registry value names of a category's settings, formed with its id as eight
// upper-case hexadecimal digits: "Enable_0000000A", "Level_7FFFFFFD".
std::string CategoryEnableValueName(int32_t id);
std::string CategoryLevelValueName(int32_t id);

// Older settings layouts number the categories by a legacy table of 27
// positions. Position 24 belongs to no category of ours: its lookup gives
// CategoryNone, and its legacy number 24 is found nowhere.
constexpr size_t LegacyCategoryPositions = 27;

// The category id of legacy position `position`: positions 0 to 25 by the
// legacy table (24 gives CategoryNone), 26 and above CategoryBlocked.
int32_t CategoryIdOfLegacyPosition(size_t position);

// The category id of the first legacy position whose legacy number is
// `legacyNumber` (a DWORD read as signed: -2 is CategoryAllowed);
// CategoryBlocked when no position has it.
int32_t CategoryIdOfLegacyNumber(int32_t legacyNumber);

}  // namespace avex
