// CManualClassificationsPage: the administrator's own classifications of URLs, sites and URL fragments.
// Shown greyed out for now; it changes no setting.
#pragma once

#include "resources/resource_ids.h"
#include "ui/placeholder_page.h"

namespace avex::ui {

class CManualClassificationsPage : public CPlaceholderPage {
 public:
  static constexpr int kIcon = 3;

  CManualClassificationsPage() : CPlaceholderPage(IDD_MANUAL_CLASSIFICATIONS, kIcon) {}

  bool Apply() { return true; }
};

}  // namespace avex::ui
