// CUserSetupPage: whom the filter applies to.
// Shown greyed out for now; it changes no setting.
#pragma once

#include "resources/resource_ids.h"
#include "ui/placeholder_page.h"

namespace avex::ui {

class CUserSetupPage : public CPlaceholderPage {
 public:
  static constexpr int kIcon = 1;

  CUserSetupPage() : CPlaceholderPage(IDD_USER_SETUP, kIcon) {}

  bool Apply() { return true; }
};

}  // namespace avex::ui
