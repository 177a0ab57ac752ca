// CCategoriesPage: which content categories are filtered, and above which level.
// Shown greyed out for now; it changes no setting.
#pragma once

#include "resources/resource_ids.h"
#include "ui/placeholder_page.h"

namespace avex::ui {

class CCategoriesPage : public CPlaceholderPage {
 public:
  static constexpr int kIcon = 0;

  CCategoriesPage() : CPlaceholderPage(IDD_CATEGORIES, kIcon) {}

  bool Apply() { return true; }
};

}  // namespace avex::ui
