#include "common/category_table.h"

#include <cstdio>

#include "platform/string_table.h"

namespace avex {
namespace {

struct LegacyCategory {
  bool hasNumber;  // false for position 24: its number matches nothing
  int32_t number;
  int32_t id;
};

// Older layouts' numbering, by position. Legacy number 25 meant "Blocked"
// (our id 25 is "Government"); -2 meant "Allow".
constexpr std::array<LegacyCategory, LegacyCategoryPositions> LegacyTable = {{
    {true, 1, 1},   {true, 2, 2},   {true, 3, 3},   {true, 4, 4},   {true, 5, 5},
    {true, 6, 6},   {true, 8, 8},   {true, 9, 9},   {true, 10, 10}, {true, 11, 11},
    {true, 12, 12}, {true, 13, 13}, {true, 14, 14}, {true, 15, 15}, {true, 16, 16},
    {true, 17, 17}, {true, 18, 18}, {true, 19, 19}, {true, 20, 20}, {true, 21, 21},
    {true, 22, 22}, {true, 23, 23}, {true, 0, 0},   {true, 7, 7},   {false, 24, CategoryNone},
    {true, 25, CategoryBlocked},    {true, -2, CategoryAllowed},
}};

std::string ValueName(const char* prefix, int32_t id) {
  char name[32];
  std::snprintf(name, sizeof name, "%s_%08X", prefix, static_cast<unsigned>(static_cast<uint32_t>(id)));
  return name;
}

}  // namespace

std::string CategoryReasonText(size_t row) {
  if (row >= CategoryCount) return std::string();
  return platform::LoadText(CategoryTable[row].reasonStringId);
}

std::string CategoryEnableValueName(int32_t id) { return ValueName("Enable", id); }

std::string CategoryLevelValueName(int32_t id) { return ValueName("Level", id); }

int32_t CategoryIdOfLegacyPosition(size_t position) {
  // Position 26 ("Allow") is deliberately not reached here: the old settings
  // values never named it, and everything past "Blocked" counts as blocked.
  if (position > 25) return CategoryBlocked;
  return LegacyTable[position].id;
}

int32_t CategoryIdOfLegacyNumber(int32_t legacyNumber) {
  for (const LegacyCategory& entry : LegacyTable) {
    if (entry.hasNumber && entry.number == legacyNumber) return entry.id;
  }
  return CategoryBlocked;
}

}  // namespace avex
