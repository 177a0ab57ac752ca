// FilterSettings: the settings record. One live instance belongs to the
// plug-in, every scanning object holds a snapshot (CopyFrom), and the
// configuration pages work on a copy. A plain value.
#pragma once

#include <array>
#include <cstdint>

#include "common/category_table.h"
#include "lists/manual_lists.h"

namespace avex {

struct CategorySetting {
  bool enabled = true;
  float level = 0;  // percent; a score above it blocks
};

using CategorySettings = std::array<CategorySetting, CategoryCount>;

struct FilterSettings {
  FilterSettings();

  // The settings slot of a category id; null when the id has no row.
  const CategorySetting* SettingOf(int32_t categoryId) const;
  CategorySetting* SettingOf(int32_t categoryId);

  // Whether category `categoryId` blocks under these settings.
  bool IsCategoryBlocked(int32_t categoryId) const;

  // Takes the engine values and every category setting of `other`; the three
  // lists only in the management console, where each copy must stand alone
  // (in the engine process the request path reads the live lists).
  void CopyFrom(const FilterSettings& other, bool consoleMode);

  ManualLists lists;
  uint32_t useSafeSurf = 1;
  uint32_t useRsaci = 1;
  uint32_t useUrlCache = 0;
  uint32_t useStaticListUpdates = 0;
  uint32_t staticListUpdateInterval = 1440;  // minutes
  uint32_t applyToAllUsers = 1;
  CategorySettings categories;  // one per category row, in row order
};

}  // namespace avex
