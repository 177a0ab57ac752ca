#include "config/filter_settings.h"

namespace avex {

FilterSettings::FilterSettings() {
  for (size_t row = 0; row < CategoryCount; ++row) {
    categories[row].enabled = true;
    categories[row].level = CategoryTable[row].defaultLevel;
  }
}

const CategorySetting* FilterSettings::SettingOf(int32_t categoryId) const {
  const size_t row = CategoryIndexOf(categoryId);
  return row < CategoryCount ? &categories[row] : nullptr;
}

CategorySetting* FilterSettings::SettingOf(int32_t categoryId) {
  const size_t row = CategoryIndexOf(categoryId);
  return row < CategoryCount ? &categories[row] : nullptr;
}

bool FilterSettings::IsCategoryBlocked(int32_t categoryId) const {
  return avex::IsCategoryBlocked(categoryId, [this](size_t row) { return categories[row].enabled; });
}

void FilterSettings::CopyFrom(const FilterSettings& other, bool consoleMode) {
  if (this == &other) return;
  if (consoleMode) lists = other.lists;
  useSafeSurf = other.useSafeSurf;
  useRsaci = other.useRsaci;
  useUrlCache = other.useUrlCache;
  useStaticListUpdates = other.useStaticListUpdates;
  staticListUpdateInterval = other.staticListUpdateInterval;
  categories = other.categories;
}

}  // namespace avex
